#pragma once

#include "platform/settings.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace quelvo {

/// The part of the registry settings live in: the user's own, or the machine's.
enum class RegistryHive {
    CurrentUser,
    LocalMachine,
};

/// Settings in the registry, the user's own by default: HKEY_CURRENT_USER\Software\Quelvo\<section>, one string
/// value per key (the program's own application name is spelt "Quelvo", others as given). The
/// registry matches names without regard to letter case; each save is flushed before it returns.
/// Values read are kept, with the section's key open, until the registry reports a change to that
/// key (from any program): an idle program then reads its settings without reading the registry. Not
/// for use from several threads at once.
class RegistrySettings final : public Settings
{
public:
    /// `root` is the key under the hive that holds the applications ("Software").
    explicit RegistrySettings(std::string root = "Software", RegistryHive hive = RegistryHive::CurrentUser);
    ~RegistrySettings() override;
    RegistrySettings(const RegistrySettings&) = delete;
    RegistrySettings& operator=(const RegistrySettings&) = delete;

    [[nodiscard]] std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                                         std::string_view def) const override;
    IoResult SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                         std::string_view value) override;
    /// All values into the section's key, then one flush.
    IoResult SaveSettings(std::string_view app, std::string_view section,
                          std::initializer_list<SettingValue> values) override;
    /// Why the program's own section cannot be read as stored: its key cannot be opened, or a
    /// value there is not text (GetSetting reads such a value as absent).
    [[nodiscard]] IoResult readState() const override;

    /// The key of a section below the hive.
    [[nodiscard]] std::string keyPath(std::string_view app, std::string_view section) const;

private:
    struct Section;
    /// The open, watched key of a section; null when it cannot be watched (it does not exist yet).
    Section* watched(const std::string& path) const;

    std::string m_root;
    RegistryHive m_hive;
    mutable std::map<std::string, std::unique_ptr<Section>> m_sections; // by key path
};

} // namespace quelvo
