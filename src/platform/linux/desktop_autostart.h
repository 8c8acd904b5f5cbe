#pragma once

#include "platform/autostart.h"

#include <vector>

namespace quelvo {

/// Autostart through a freedesktop desktop entry (the per-user autostart folder).
class DesktopAutostart final : public Autostart
{
public:
    /// `arguments` follow the program in the entry's command (the started copy's `--folder DIR`).
    DesktopAutostart(FileSystem& fs, std::string entryPath, std::vector<std::string> arguments = {});

    [[nodiscard]] std::string GetRegString(std::string_view def) const override;
    /// `command` is the program's full path; it and the arguments are quoted for the Exec key here.
    IoResult SetRegString(std::string_view command) override;

private:
    FileSystem& m_fs;
    std::string m_path;
    std::vector<std::string> m_arguments;
};

} // namespace quelvo
