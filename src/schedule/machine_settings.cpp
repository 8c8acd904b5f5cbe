#include "schedule/machine_settings.h"

#include "platform/settings_keys.h"
#include "schedule/event_line.h"

#include <string>

namespace quelvo {

MachineSettings::MachineSettings(const Settings& config, Settings& records) : m_config(config), m_records(records)
{}

bool MachineSettings::isRecord(std::string_view app, std::string_view section, std::string_view key)
{
    return equalsIgnoringCase(app, kSettingsApp) && equalsIgnoringCase(section, kSettingsSection) &&
           (equalsIgnoringCase(key, setting::kLastFired) || equalsIgnoringCase(key, setting::kWarned) ||
            equalsIgnoringCase(key, setting::kSkips) || equalsIgnoringCase(key, setting::kPostponed));
}

std::string MachineSettings::GetSetting(std::string_view app, std::string_view section, std::string_view key,
                                        std::string_view def) const
{
    return isRecord(app, section, key) ? m_records.GetSetting(app, section, key, def)
                                       : m_config.GetSetting(app, section, key, def);
}

IoResult MachineSettings::SaveSetting(std::string_view app, std::string_view section, std::string_view key,
                                      std::string_view value)
{
    if (!isRecord(app, section, key))
        return IoResult::failure(std::string(key) + " is root's to set in the machine's settings");
    return m_records.SaveSetting(app, section, key, value);
}

IoResult MachineSettings::readState() const
{
    if (IoResult r = m_config.readState(); !r.ok())
        return r;
    return m_records.readState();
}

} // namespace quelvo
