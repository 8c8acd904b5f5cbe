#pragma once

#include "platform/file_system.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace quelvo {

/// The Win32 calls whose failure decides what is left on disk. Tests replace them to fail one
/// call, cut a write short or act between two calls. Handles are HANDLE values, failures set
/// the thread's last error as the real calls do.
struct WindowsCalls
{
    /// CreateFileW: returns INVALID_HANDLE_VALUE on failure.
    std::function<void*(const std::wstring& path, std::uint32_t access, std::uint32_t share, std::uint32_t disposition)>
        createFile;
    /// WriteFile: the bytes written, or -1.
    std::function<std::int64_t(void* file, const void* data, std::uint32_t size)> write;
    /// FlushFileBuffers.
    std::function<bool(void* file)> flush;
    /// Renames the open file to the full path `target`, replacing what is there.
    std::function<bool(void* file, const std::wstring& target)> rename;
    /// DeleteFileW.
    std::function<bool(const std::wstring& path)> deleteFile;

    /// The real calls.
    static WindowsCalls system();
};

/// FileSystem over the wide-character Win32 file calls. Durable writes end with
/// FlushFileBuffers; a replace writes a fresh scratch file beside the target, keeps it open
/// without sharing, renames it over the target through that handle and checks by file index
/// that the file written is the file that lands. Readers' handles are opened with
/// FILE_SHARE_DELETE, so a reader never makes a replace fail. Locks are LockFileEx byte-range
/// locks on the lock file, which the system releases when the process ends. A new file
/// inherits its folder's permissions: `NewFileAccess` has no meaning here.
class WindowsFileSystem final : public FileSystem
{
public:
    /// `lockWait` bounds how long lock() waits for another program; zero tries once.
    explicit WindowsFileSystem(WindowsCalls calls = WindowsCalls::system(),
                               std::chrono::milliseconds lockWait = kCommandLockWait);

    [[nodiscard]] bool exists(const std::string& path) const override;
    [[nodiscard]] ReadResult read(const std::string& path, std::int64_t maxBytes = kNoSizeLimit) const override;
    [[nodiscard]] std::optional<FileStamp> stamp(const std::string& path) const override;
    IoResult append(const std::string& path, std::string_view bytes, std::string_view lineBreak = {}) override;
    IoResult replaceContents(const std::string& path, std::string_view scratchName, std::string_view bytes,
                             NewFileAccess access) override;
    /// A shared lock on a lock file that does not exist succeeds and holds nothing: no writer
    /// holds it then, and a reader creates no file.
    LockResult lock(const std::string& path, LockMode mode) override;
    IoResult remove(const std::string& path) override;
    IoResult makeFolders(const std::string& path) override;

private:
    bool writeAll(void* file, std::string_view bytes);

    WindowsCalls m_calls;
    std::chrono::milliseconds m_lockWait;
};

} // namespace quelvo
