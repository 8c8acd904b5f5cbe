#pragma once

#include "platform/autostart.h"

namespace quelvo {

/// Autostart through a freedesktop desktop entry (the per-user autostart folder).
class DesktopAutostart final : public Autostart
{
public:
    DesktopAutostart(FileSystem& fs, std::string entryPath);

    [[nodiscard]] std::string GetRegString(std::string_view def) const override;
    /// `command` is the program's full path; it is quoted for the Exec key here.
    IoResult SetRegString(std::string_view command) override;

private:
    FileSystem& m_fs;
    std::string m_path;
};

} // namespace quelvo
