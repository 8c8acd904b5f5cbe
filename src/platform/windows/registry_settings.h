#pragma once

#include "shell/settings.h"

#include <string>

namespace quelvo {

/// Settings in the per-user registry: HKEY_CURRENT_USER\Software\Quelvo\<section>, one string
/// value per key (the program's own application name is spelt "Quelvo", others as given). The
/// registry matches names without regard to letter case; each save is flushed before it returns.
class RegistrySettings final : public Settings
{
public:
    /// `root` is the key under HKEY_CURRENT_USER that holds the applications ("Software").
    explicit RegistrySettings(std::string root = "Software");

    [[nodiscard]] std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                                         std::string_view def) const override;
    IoResult SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                         std::string_view value) override;

    /// The key of a section below HKEY_CURRENT_USER.
    [[nodiscard]] std::string keyPath(std::string_view app, std::string_view section) const;

private:
    std::string m_root;
};

} // namespace quelvo
