#include "platform/linux/posix_file_system.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quelvo {

namespace {

IoResult errnoFailure(const char* what, const std::string& path)
{
    return IoResult::failure(std::string(what) + " " + path + ": " + std::strerror(errno));
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

bool writeFully(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::string parentFolder(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

IoResult writeWithFlags(const std::string& path, std::string_view bytes, int flags)
{
    Fd fd(::open(path.c_str(), flags | O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
    if (fd.get() < 0)
        return errnoFailure("cannot open", path);
    if (!writeFully(fd.get(), bytes))
        return errnoFailure("cannot write", path);
    if (::fsync(fd.get()) != 0)
        return errnoFailure("cannot flush", path);
    if (fd.release() != 0)
        return errnoFailure("cannot close", path);
    return IoResult::success();
}

IoResult syncFolder(const std::string& folder)
{
    Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0)
        return errnoFailure("cannot open folder", folder);
    if (::fsync(fd.get()) != 0 && errno != EINVAL)
        return errnoFailure("cannot flush folder", folder);
    return IoResult::success();
}

} // namespace

bool PosixFileSystem::exists(const std::string& path) const
{
    struct stat st
    {};
    return ::stat(path.c_str(), &st) == 0;
}

std::optional<std::string> PosixFileSystem::readAll(const std::string& path) const
{
    Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return std::nullopt;
    std::string data;
    struct stat st
    {};
    if (::fstat(fd.get(), &st) == 0 && st.st_size > 0)
        data.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        data.append(buffer, static_cast<std::size_t>(n));
    }
    return data;
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

IoResult PosixFileSystem::append(const std::string& path, std::string_view bytes)
{
    const bool existed = exists(path);
    IoResult r = writeWithFlags(path, bytes, O_APPEND);
    if (r.ok() && !existed)
        r = syncFolder(parentFolder(path));
    return r;
}

IoResult PosixFileSystem::writeDurably(const std::string& path, std::string_view bytes)
{
    return writeWithFlags(path, bytes, O_TRUNC);
}

IoResult PosixFileSystem::replace(const std::string& from, const std::string& to)
{
    if (::rename(from.c_str(), to.c_str()) != 0)
        return errnoFailure("cannot rename over", to);
    return syncFolder(parentFolder(to));
}

IoResult PosixFileSystem::remove(const std::string& path)
{
    if (::unlink(path.c_str()) != 0 && errno != ENOENT)
        return errnoFailure("cannot delete", path);
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
        if (::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST)
            return errnoFailure("cannot create folder", partial);
    }
    return IoResult::success();
}

} // namespace quelvo
