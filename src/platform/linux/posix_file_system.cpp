#include "platform/linux/posix_file_system.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio> // renameat2
#include <cstdlib>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quelvo {

namespace {

std::string reason(int error)
{
    return std::strerror(error);
}

IoResult failure(const char* what, const std::string& path, int error)
{
    return IoResult::failure(std::string(what) + " " + path + ": " + reason(error));
}

// Closes a descriptor on every path out of a function.
class Fd final
{
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    [[nodiscard]] int get() const { return m_fd; }
    // Closing can report a delayed write error; callers that promise durability check it.
    int release()
    {
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc;
    }

private:
    int m_fd;
};

class FlockHeld final : public FileLock
{
public:
    explicit FlockHeld(int fd) : m_fd(fd) {}
    ~FlockHeld() override
    {
        if (m_fd >= 0)
            ::close(m_fd); // closing the descriptor releases the lock
    }

    FlockHeld(const FlockHeld&) = delete;
    FlockHeld& operator=(const FlockHeld&) = delete;

private:
    int m_fd;
};

std::string parentFolder(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// Why a file of this kind is refused, or empty for a regular file.
std::string refusal(const struct stat& st, const std::string& path)
{
    if (S_ISREG(st.st_mode))
        return {};
    const char* kind = S_ISDIR(st.st_mode)                          ? "a folder"
                       : S_ISFIFO(st.st_mode)                       ? "a FIFO"
                       : S_ISSOCK(st.st_mode)                       ? "a socket"
                       : S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) ? "a device"
                                                                    : "not a regular file";
    return path + " is " + kind + ", not a regular file";
}

// The reason an open failed; a FIFO without a writer or a socket fails with ENXIO, which says
// less than naming what is in the file's place.
IoResult openFailure(const char* what, const std::string& path, int error)
{
    struct stat st
    {};
    if (::stat(path.c_str(), &st) == 0) {
        if (std::string why = refusal(st, path); !why.empty())
            return IoResult::failure(why);
    }
    return failure(what, path, error);
}

// Which file a name stands for: the scratch file is renamed only while its name still means
// the file that was written.
struct FileId
{
    dev_t dev = 0;
    ino_t ino = 0;

    bool operator==(const FileId&) const = default;
};

FileId idOf(const struct stat& st)
{
    return {st.st_dev, st.st_ino};
}

// The file a name stands for now, without following a link; nullopt for a link or nothing.
std::optional<FileId> idAt(const std::string& path)
{
    struct stat st
    {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return idOf(st);
}

IoResult swapped(const std::string& path)
{
    return IoResult::failure(path + ": a file was replaced while it was written");
}

// Moves the written scratch file `ours` over `target`, checking the name before and the
// target after, and leaves no scratch name behind. Where the system can swap the two names, a
// mismatch is undone, leaving the old file as it was; after a plain rename it is only reported.
IoResult moveInto(PosixCalls& calls, const std::string& scratch, const std::string& target, bool targetExists,
                  FileId ours)
{
    if (idAt(scratch) != ours) {
        (void)calls.unlink(scratch.c_str()); // a name another program put there, not a file we wrote
        return swapped(target);
    }
    if (targetExists) {
        if (calls.renameExchange(scratch.c_str(), target.c_str()) == 0) {
            // The scratch name now holds the old file, or whatever was put in its place.
            if (idAt(target) != ours) {
                if (calls.renameExchange(scratch.c_str(), target.c_str()) != 0)
                    return IoResult::failure(swapped(target).error + "; the old file is left as " + scratch);
                (void)calls.unlink(scratch.c_str());
                return swapped(target);
            }
            // A leftover here would only be removed by the next replace.
            (void)calls.unlink(scratch.c_str());
            return IoResult::success();
        }
        // File systems without the swap, or a target removed since: a plain rename.
        if (errno != EINVAL && errno != ENOSYS && errno != ENOENT) {
            const int error = errno;
            (void)calls.unlink(scratch.c_str());
            return failure("cannot rename over", target, error);
        }
    }
    if (calls.rename(scratch.c_str(), target.c_str()) != 0) {
        const int error = errno;
        (void)calls.unlink(scratch.c_str());
        return failure("cannot rename over", target, error);
    }
    if (idAt(target) != ours) {
        // A link left as the data file would be followed by the next write.
        struct stat st
        {};
        if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
            (void)calls.unlink(target.c_str());
        return swapped(target);
    }
    return IoResult::success();
}

} // namespace

PosixCalls PosixCalls::system()
{
    return {
        [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
        [](int fd, const void* data, std::size_t size) { return ::write(fd, data, size); },
        [](int fd) { return ::fsync(fd); },
        [](const char* from, const char* to) { return ::rename(from, to); },
        [](const char* from, const char* to) { return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_EXCHANGE); },
        [](const char* path) { return ::unlink(path); },
    };
}

PosixFileSystem::PosixFileSystem(PosixCalls calls, std::chrono::milliseconds lockWait, FileSharing sharing)
    : m_calls(std::move(calls)), m_lockWait(lockWait), m_sharing(sharing)
{}

bool PosixFileSystem::exists(const std::string& path) const
{
    struct stat st
    {};
    return ::stat(path.c_str(), &st) == 0;
}

ReadResult PosixFileSystem::read(const std::string& path, std::int64_t maxBytes) const
{
    // O_NONBLOCK: opening a FIFO must not wait for a writer; fstat then refuses it.
    Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {};
        return {std::nullopt, openFailure("cannot read", path, errno)};
    }
    struct stat st
    {};
    if (::fstat(fd.get(), &st) != 0)
        return {std::nullopt, failure("cannot read", path, errno)};
    if (std::string why = refusal(st, path); !why.empty())
        return {std::nullopt, IoResult::failure(why)};
    const std::string tooLarge = path + " is larger than " + std::to_string(maxBytes) + " bytes";
    if (st.st_size > maxBytes)
        return {std::nullopt, IoResult::failure(tooLarge)};
    std::string data;
    data.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return {std::nullopt, failure("cannot read", path, errno)};
        }
        data.append(buffer, static_cast<std::size_t>(n));
        if (static_cast<std::int64_t>(data.size()) > maxBytes) // it grew while being read
            return {std::nullopt, IoResult::failure(tooLarge)};
    }
    return {std::move(data), {}};
}

std::optional<FileStamp> PosixFileSystem::stamp(const std::string& path) const
{
    struct stat st
    {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    FileStamp s;
    s.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    s.size = static_cast<std::int64_t>(st.st_size);
    s.inode = static_cast<std::uint64_t>(st.st_ino);
    return s;
}

IoResult PosixFileSystem::append(const std::string& path, std::string_view bytes, std::string_view lineBreak)
{
    const bool existed = exists(path);
    // Read access too, for a look at the last byte. A schedule is the user's alone, unless it is the machine's.
    const mode_t createMode = readableByAll() ? 0644 : 0600;
    Fd fd(m_calls.open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, createMode));
    if (fd.get() < 0)
        return openFailure("cannot open", path, errno);
    // The umask of whoever runs the command must not hide the machine's schedule from its users.
    if (!existed && readableByAll())
        (void)::fchmod(fd.get(), createMode);
    struct stat st
    {};
    if (::fstat(fd.get(), &st) != 0)
        return failure("cannot open", path, errno);
    if (std::string why = refusal(st, path); !why.empty())
        return IoResult::failure(why);

    const off_t before = st.st_size;
    std::string all;
    char last = '\n';
    if (before > 0 && !lineBreak.empty() && ::pread(fd.get(), &last, 1, before - 1) == 1 && last != '\n' &&
        last != '\r')
        all.append(lineBreak);
    all.append(bytes);

    // Cuts the file back to its old length, so a failure leaves no partial line to glue onto.
    const auto undo = [&](const char* what) {
        const int error = errno;
        if (::ftruncate(fd.get(), before) == 0)
            (void)::fsync(fd.get());
        if (!existed)
            (void)::unlink(path.c_str());
        return failure(what, path, error);
    };
    if (!all.empty()) {
        // One write, so that readers and other writers see the whole line or none of it.
        const ssize_t n = m_calls.write(fd.get(), all.data(), all.size());
        if (n != static_cast<ssize_t>(all.size())) {
            if (n >= 0)
                errno = ENOSPC; // a short write on a regular file: the disk is full
            return undo("cannot write");
        }
    }
    if (m_calls.fsync(fd.get()) != 0)
        return undo("cannot flush");
    if (fd.release() != 0)
        return failure("cannot close", path, errno);
    if (!existed) {
        if (IoResult r = syncFolder(parentFolder(path)); !r.ok()) {
            (void)::unlink(path.c_str());
            return r;
        }
    }
    return IoResult::success();
}

IoResult PosixFileSystem::replaceContents(const std::string& path, std::string_view scratchName, std::string_view bytes,
                                          NewFileAccess access)
{
    // A symbolic link to a regular file (a dotfile manager's) is followed, and stays a link.
    std::string target = path;
    struct stat st
    {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        if (char* resolved = ::realpath(path.c_str(), nullptr)) {
            target = resolved;
            std::free(resolved);
        }
    }
    const bool existed = ::lstat(target.c_str(), &st) == 0;
    if (existed && !S_ISLNK(st.st_mode)) {
        if (std::string why = refusal(st, path); !why.empty())
            return IoResult::failure(why);
    }

    const std::string folder = parentFolder(target);
    const std::string scratch = joinPath(folder, scratchName);
    // A leftover (from a crash, or planted as a link) is removed, never opened.
    if (m_calls.unlink(scratch.c_str()) != 0 && errno != ENOENT)
        return failure("cannot remove the old scratch file", scratch, errno);
    const bool shared = access == NewFileAccess::Readable || readableByAll();
    const mode_t createMode = existed || !shared ? 0600 : 0644;
    Fd fd(m_calls.open(scratch.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, createMode));
    if (fd.get() < 0)
        return failure("cannot create", scratch, errno);
    if (!existed && readableByAll())
        (void)::fchmod(fd.get(), createMode);
    struct stat written
    {};
    if (::fstat(fd.get(), &written) != 0) {
        const int error = errno;
        (void)m_calls.unlink(scratch.c_str());
        return failure("cannot create", scratch, error);
    }

    const auto discard = [&](IoResult r) {
        (void)m_calls.unlink(scratch.c_str());
        return r;
    };
    if (existed && S_ISREG(st.st_mode)) {
        // The owner and group only where the system permits; the mode always.
        (void)::fchown(fd.get(), st.st_uid, st.st_gid);
        (void)::fchmod(fd.get(), st.st_mode & 07777);
    }
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const ssize_t n = m_calls.write(fd.get(), rest.data(), rest.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return discard(failure("cannot write", scratch, errno));
        }
        rest.remove_prefix(static_cast<std::size_t>(n));
    }
    // The content is on disk before the rename makes it the file, so a crash never
    // leaves a renamed but empty file.
    if (m_calls.fsync(fd.get()) != 0)
        return discard(failure("cannot flush", scratch, errno));
    if (fd.release() != 0)
        return discard(failure("cannot close", scratch, errno));
    if (IoResult r = moveInto(m_calls, scratch, target, existed, idOf(written)); !r.ok())
        return r;
    return syncFolder(folder);
}

LockResult PosixFileSystem::lock(const std::string& path, LockMode mode)
{
    const bool exclusive = mode == LockMode::Exclusive;
    constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = -1;
    if (exclusive) {
        fd = m_calls.open(path.c_str(), O_RDWR | O_CREAT | kFlags, 0600);
        if (fd < 0 && (errno == EACCES || errno == EROFS)) {
            // flock needs no write access, so a lock file in a read-only folder still serves;
            // when there is none, the reason it could not be made is the one to tell.
            const int cause = errno;
            fd = m_calls.open(path.c_str(), O_RDONLY | kFlags, 0);
            if (fd < 0 && errno == ENOENT)
                errno = cause;
        }
    } else {
        // Readers never create it: a missing lock file is one no writer of ours holds.
        fd = m_calls.open(path.c_str(), O_RDONLY | kFlags, 0);
        if (fd < 0 && (errno == ENOENT || errno == ENOTDIR))
            return {std::make_unique<FlockHeld>(-1), {}};
    }
    if (fd < 0)
        return {nullptr, failure("cannot open the lock file", path, errno)};
    auto held = std::make_unique<FlockHeld>(fd);
    struct stat st
    {};
    if (::fstat(fd, &st) != 0)
        return {nullptr, failure("cannot open the lock file", path, errno)};
    if (std::string why = refusal(st, path); !why.empty())
        return {nullptr, IoResult::failure(why)};
    // Another user who can open the lock file can hold it and stall every write; older
    // versions created it readable by all.
    if (st.st_uid == ::geteuid() && (st.st_mode & 077) != 0)
        (void)::fchmod(fd, 0600);

    const auto deadline = std::chrono::steady_clock::now() + m_lockWait;
    while (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return {nullptr, failure("cannot lock", path, errno)};
        const auto left = deadline - std::chrono::steady_clock::now();
        if (left <= std::chrono::steady_clock::duration::zero())
            return {nullptr, IoResult::failure("another program holds " + path), true};
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(left, std::chrono::milliseconds(20)));
    }
    return {std::move(held), {}};
}

IoResult PosixFileSystem::remove(const std::string& path)
{
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return failure("cannot delete", path, errno);
    return IoResult::success();
}

IoResult PosixFileSystem::makeFolders(const std::string& path)
{
    std::string partial;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (partial.empty())
            continue;
        // The user's schedule and settings are nobody else's to read or to lock; the machine's
        // are everybody's to read.
        const mode_t mode = readableByAll() ? 0755 : 0700;
        if (::mkdir(partial.c_str(), mode) == 0) {
            if (readableByAll())
                (void)::chmod(partial.c_str(), mode);
        } else if (errno != EEXIST) {
            return failure("cannot create folder", partial, errno);
        }
    }
    return IoResult::success();
}

IoResult PosixFileSystem::syncFolder(const std::string& folder)
{
    Fd fd(m_calls.open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
    if (fd.get() < 0)
        return failure("cannot open folder", folder, errno);
    if (m_calls.fsync(fd.get()) != 0 && errno != EINVAL)
        return failure("cannot flush folder", folder, errno);
    return IoResult::success();
}

} // namespace quelvo
