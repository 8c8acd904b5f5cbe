#pragma once

#include "platform/file_system.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace quelvo {

/// The application and section every setting of the program lives under.
inline constexpr std::string_view kSettingsApp = "quelvo";
inline constexpr std::string_view kSettingsSection = "data";

/// One key and the value to store under it.
struct SettingValue
{
    std::string_view key;
    std::string_view value;
};

/// Per-user text settings addressed by application, section and key, whose
/// names match without regard to letter case; values are compared exactly.
class Settings
{
public:
    virtual ~Settings() = default;

    /// The stored value, or `def` when none is stored.
    [[nodiscard]] virtual std::string GetSetting(std::string_view app, std::string_view section, std::string_view key,
                                                 std::string_view def) const = 0;
    /// Stores the value durably before it returns.
    virtual IoResult SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                                 std::string_view value) = 0;

    /// Stores several values of one section together: one durable write where the store can,
    /// so they never stand half changed. The first failure is returned.
    virtual IoResult SaveSettings(std::string_view app, std::string_view section,
                                  std::initializer_list<SettingValue> values)
    {
        for (const SettingValue& v : values) {
            if (IoResult r = SaveSetting(app, section, v.key, v.value); !r.ok())
                return r;
        }
        return IoResult::success();
    }

    /// Why the stored settings could not be read (the defaults are used then); success when
    /// they could, or when there are none yet.
    [[nodiscard]] virtual IoResult readState() const { return IoResult::success(); }

    /// Shorthands for the program's own section.
    [[nodiscard]] std::string get(std::string_view key, std::string_view def) const
    {
        return GetSetting(kSettingsApp, kSettingsSection, key, def);
    }
    IoResult save(std::string_view key, std::string_view value)
    {
        return SaveSetting(kSettingsApp, kSettingsSection, key, value);
    }
    IoResult save(std::initializer_list<SettingValue> values)
    {
        return SaveSettings(kSettingsApp, kSettingsSection, values);
    }
};

} // namespace quelvo
