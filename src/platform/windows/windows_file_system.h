#pragma once

#include "platform/file_system.h"

namespace quelvo {

/// FileSystem over the wide-character Win32 file calls. Durable writes end with
/// FlushFileBuffers; a replace writes a fresh scratch file beside the target and moves it over
/// with MoveFileExW(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH). Every handle is opened
/// with FILE_SHARE_DELETE, so a reader never makes a replace fail. Locks are LockFileEx byte-range
/// locks on the lock file, which the system releases when the process ends. A new file inherits
/// its folder's permissions: `NewFileAccess` has no meaning here.
class WindowsFileSystem final : public FileSystem
{
public:
    [[nodiscard]] bool exists(const std::string& path) const override;
    [[nodiscard]] ReadResult read(const std::string& path, std::int64_t maxBytes = kNoSizeLimit) const override;
    [[nodiscard]] std::optional<FileStamp> stamp(const std::string& path) const override;
    IoResult append(const std::string& path, std::string_view bytes, std::string_view lineBreak = {}) override;
    IoResult replaceContents(const std::string& path, std::string_view scratchName, std::string_view bytes,
                             NewFileAccess access) override;
    LockResult lock(const std::string& path, LockMode mode) override;
    IoResult remove(const std::string& path) override;
    IoResult makeFolders(const std::string& path) override;
};

} // namespace quelvo
