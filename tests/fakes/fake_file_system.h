#pragma once

#include "platform/file_system.h"

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

namespace quelvo::test {

/// Files held in memory, with faults a test can switch on per path and
/// counters that show whether an operation touched the disk at all.
class FakeFileSystem final : public FileSystem
{
public:
    [[nodiscard]] bool exists(const std::string& path) const override { return m_files.count(path) != 0; }

    [[nodiscard]] ReadResult read(const std::string& path, std::int64_t maxBytes = kNoSizeLimit) const override
    {
        ++reads;
        const auto it = m_files.find(path);
        if (special.count(path) != 0)
            return {std::nullopt, IoResult::failure(path + " is a FIFO, not a regular file")};
        if (it == m_files.end())
            return {};
        if (failRead.count(path) != 0)
            return {std::nullopt, IoResult::failure("injected: cannot read " + path)};
        if (static_cast<std::int64_t>(it->second.bytes.size()) > maxBytes)
            return {std::nullopt, IoResult::failure(path + " is too large")};
        return {it->second.bytes, {}};
    }

    [[nodiscard]] std::optional<FileStamp> stamp(const std::string& path) const override
    {
        const auto it = m_files.find(path);
        if (it == m_files.end())
            return std::nullopt;
        return FileStamp{it->second.version, static_cast<std::int64_t>(it->second.bytes.size()), it->second.inode};
    }

    IoResult append(const std::string& path, std::string_view bytes, std::string_view lineBreak = {}) override
    {
        noteWrite();
        if (failWrite.count(path) != 0 || (!exists(path) && failCreate.count(path) != 0))
            return IoResult::failure("injected: cannot append to " + path);
        if (special.count(path) != 0)
            return IoResult::failure(path + " is a FIFO, not a regular file");
        ++writes;
        File& f = touch(path);
        if (!f.bytes.empty() && f.bytes.back() != '\n' && f.bytes.back() != '\r')
            f.bytes.append(lineBreak);
        f.bytes.append(bytes);
        return IoResult::success();
    }

    IoResult replaceContents(const std::string& path, std::string_view scratchName, std::string_view bytes,
                             NewFileAccess access) override
    {
        noteWrite();
        const std::string scratch = joinPath(path.substr(0, path.find_last_of('/')), scratchName);
        if (exists(scratch) && failRemove.count(scratch) != 0)
            return IoResult::failure("injected: cannot remove the old scratch file " + scratch);
        m_files.erase(scratch);
        if (special.count(path) != 0)
            return IoResult::failure(path + " is a FIFO, not a regular file");
        if (failWrite.count(path) != 0 || failCreate.count(scratch) != 0)
            return IoResult::failure("injected: cannot create " + scratch);
        if (failReplace)
            return IoResult::failure("injected: cannot rename over " + path);
        ++writes;
        if (!exists(path))
            newFileAccess[path] = access;
        touch(path).bytes = std::string(bytes);
        return IoResult::success();
    }

    LockResult lock(const std::string& path, LockMode mode) override
    {
        if (failLock)
            return {nullptr, IoResult::failure("injected: cannot lock " + path)};
        if (heldByOther.count(path) != 0)
            return {nullptr, IoResult::failure("another program holds " + path), true};
        if (mode == LockMode::Exclusive && beforeExclusiveLock)
            std::exchange(beforeExclusiveLock, nullptr)();
        ++locksTaken;
        return {std::make_unique<Held>(mode == LockMode::Exclusive ? exclusiveHeld : sharedHeld), {}};
    }

    IoResult remove(const std::string& path) override
    {
        if (failRemove.count(path) != 0)
            return IoResult::failure("injected: cannot delete " + path);
        m_files.erase(path);
        return IoResult::success();
    }

    IoResult makeFolders(const std::string& path) override
    {
        if (failMakeFolders)
            return IoResult::failure("injected: cannot create folder " + path);
        folders.insert(path);
        return IoResult::success();
    }

    /// Puts a file in place without counting it as a write of the code under test.
    void put(const std::string& path, std::string bytes) { touch(path).bytes = std::move(bytes); }
    /// The file's bytes, or nullopt when it is missing (faults ignored).
    [[nodiscard]] std::optional<std::string> content(const std::string& path) const
    {
        const auto it = m_files.find(path);
        return it == m_files.end() ? std::nullopt : std::optional<std::string>(it->second.bytes);
    }

    std::set<std::string> failCreate; // writing a file of this path that doesn't exist yet fails
    std::set<std::string> failWrite;  // every write to this path fails
    std::set<std::string> failRead;   // the file exists but cannot be read
    std::set<std::string> failRemove; // a leftover scratch file of this path can't be removed
    std::set<std::string> special;    // a FIFO in the file's place: refused by reads and writes
    bool failReplace = false;
    bool failLock = false;
    std::set<std::string> heldByOther;         // another program holds this lock file: lock() is busy
    std::function<void()> beforeExclusiveLock; // runs once, just before the next exclusive lock is granted
    int exclusiveHeld = 0;                     // locks held now
    int sharedHeld = 0;
    int locksTaken = 0;
    int unlockedWrites = 0;                             // writes made without an exclusive lock held
    std::map<std::string, NewFileAccess> newFileAccess; // how each file a replace created may be read
    bool failMakeFolders = false;
    std::set<std::string> folders;
    mutable int reads = 0;
    int writes = 0;

private:
    struct Held final : FileLock
    {
        explicit Held(int& count) : m_count(count) { ++m_count; }
        ~Held() override { --m_count; }
        int& m_count;
    };

    void noteWrite()
    {
        if (exclusiveHeld == 0)
            ++unlockedWrites;
    }

    struct File
    {
        std::string bytes;
        std::int64_t version = 0;
        std::uint64_t inode = 0;
    };

    // Every change gives the file a new version, as a new modification time would.
    File& touch(const std::string& path)
    {
        File& f = m_files[path];
        if (f.inode == 0)
            f.inode = ++m_nextInode;
        f.version = ++m_clock;
        return f;
    }

    std::map<std::string, File> m_files;
    std::int64_t m_clock = 0;
    std::uint64_t m_nextInode = 0;
};

} // namespace quelvo::test
