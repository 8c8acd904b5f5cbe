#pragma once

#include "shell/settings.h"

namespace quelvo {

/// The per-user settings file (one human-readable file, durable writes).
class SettingsStore final : public Settings
{
public:
    SettingsStore(FileSystem& fs, std::string filePath);

    [[nodiscard]] std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                                         std::string_view def) const override;
    IoResult SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                         std::string_view value) override;

private:
    FileSystem& m_fs;
    std::string m_path;
};

} // namespace quelvo
