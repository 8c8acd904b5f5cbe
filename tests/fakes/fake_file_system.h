#pragma once

#include "platform/file_system.h"

#include <map>
#include <set>
#include <string>

namespace quelvo::test {

/// Files held in memory, with faults a test can switch on per path and
/// counters that show whether an operation touched the disk at all.
class FakeFileSystem final : public FileSystem
{
public:
    [[nodiscard]] bool exists(const std::string& path) const override { return m_files.count(path) != 0; }

    [[nodiscard]] std::optional<std::string> readAll(const std::string& path) const override
    {
        ++reads;
        const auto it = m_files.find(path);
        if (it == m_files.end() || failRead.count(path) != 0)
            return std::nullopt;
        return it->second.bytes;
    }

    [[nodiscard]] std::optional<FileStamp> stamp(const std::string& path) const override
    {
        const auto it = m_files.find(path);
        if (it == m_files.end())
            return std::nullopt;
        return FileStamp{it->second.version, static_cast<std::int64_t>(it->second.bytes.size()), it->second.inode};
    }

    IoResult append(const std::string& path, std::string_view bytes) override
    {
        if (failWrite.count(path) != 0 || (!exists(path) && failCreate.count(path) != 0))
            return IoResult::failure("injected: cannot append to " + path);
        ++writes;
        File& f = touch(path);
        f.bytes.append(bytes);
        return IoResult::success();
    }

    IoResult writeDurably(const std::string& path, std::string_view bytes) override
    {
        if (failWrite.count(path) != 0 || (!exists(path) && failCreate.count(path) != 0))
            return IoResult::failure("injected: cannot write " + path);
        ++writes;
        touch(path).bytes = std::string(bytes);
        return IoResult::success();
    }

    IoResult replace(const std::string& from, const std::string& to) override
    {
        if (failReplace)
            return IoResult::failure("injected: cannot rename over " + to);
        const auto it = m_files.find(from);
        if (it == m_files.end())
            return IoResult::failure("no such file " + from);
        ++writes;
        m_files[to] = it->second;
        m_files.erase(from);
        return IoResult::success();
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
    std::set<std::string> failRemove;
    bool failReplace = false;
    bool failMakeFolders = false;
    std::set<std::string> folders;
    mutable int reads = 0;
    int writes = 0;

private:
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
