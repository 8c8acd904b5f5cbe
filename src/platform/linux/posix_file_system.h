#pragma once

#include "platform/file_system.h"

namespace quelvo {

/// FileSystem over POSIX calls, with fsync where durability is promised.
class PosixFileSystem final : public FileSystem
{
public:
    [[nodiscard]] bool exists(const std::string& path) const override;
    [[nodiscard]] std::optional<std::string> readAll(const std::string& path) const override;
    [[nodiscard]] std::optional<FileStamp> stamp(const std::string& path) const override;
    IoResult append(const std::string& path, std::string_view bytes) override;
    IoResult writeDurably(const std::string& path, std::string_view bytes) override;
    IoResult replace(const std::string& from, const std::string& to) override;
    IoResult remove(const std::string& path) override;
    IoResult makeFolders(const std::string& path) override;
};

} // namespace quelvo
