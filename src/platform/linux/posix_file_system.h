#pragma once

#include "platform/file_system.h"

#include <chrono>
#include <cstddef>
#include <functional>

#include <sys/types.h>

namespace quelvo {

/// The system calls whose failure decides what is left on disk. Tests replace them to
/// fail one call, cut a write short or record the order of the calls.
struct PosixCalls
{
    std::function<int(const char* path, int flags, mode_t mode)> open;
    std::function<ssize_t(int fd, const void* data, std::size_t size)> write;
    std::function<int(int fd)> fsync;
    std::function<int(const char* from, const char* to)> rename;
    /// Swaps two names atomically (renameat2 with RENAME_EXCHANGE).
    std::function<int(const char* from, const char* to)> renameExchange;
    std::function<int(const char* path)> unlink;

    /// The real calls.
    static PosixCalls system();
};

/// Who may read the folders and files a PosixFileSystem creates.
enum class FileSharing {
    Private,       // one user's: folders 0700, files as the caller asks
    ReadableByAll, // the machine's: folders 0755 and files 0644 whatever the umask; lock files stay the owner's
};

/// FileSystem over POSIX calls, with fsync where durability is promised and flock for locks
/// that are waited for at most `lockWait`.
class PosixFileSystem final : public FileSystem
{
public:
    explicit PosixFileSystem(PosixCalls calls = PosixCalls::system(),
                             std::chrono::milliseconds lockWait = kCommandLockWait,
                             FileSharing sharing = FileSharing::Private);

    [[nodiscard]] bool exists(const std::string& path) const override;
    [[nodiscard]] ReadResult read(const std::string& path, std::int64_t maxBytes = kNoSizeLimit) const override;
    [[nodiscard]] std::optional<FileStamp> stamp(const std::string& path) const override;
    IoResult append(const std::string& path, std::string_view bytes, std::string_view lineBreak = {}) override;
    IoResult replaceContents(const std::string& path, std::string_view scratchName, std::string_view bytes,
                             NewFileAccess access) override;
    LockResult lock(const std::string& path, LockMode mode) override;
    IoResult remove(const std::string& path) override;
    IoResult makeFolders(const std::string& path) override;

private:
    IoResult syncFolder(const std::string& folder);

    [[nodiscard]] bool readableByAll() const { return m_sharing == FileSharing::ReadableByAll; }

    PosixCalls m_calls;
    std::chrono::milliseconds m_lockWait;
    FileSharing m_sharing;
};

} // namespace quelvo
