#include "platform/settings_keys.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace quelvo {

bool readFlag(const Settings& settings, const FlagKey& flag, bool def)
{
    // Only the exact `on` text sets a flag: "true" or "yes" written by hand leave it off.
    return settings.get(flag.key, flagText(flag, def)) == flag.on;
}

std::string_view flagText(const FlagKey& flag, bool on)
{
    return on ? flag.on : flag.off;
}

IoResult writeFlag(Settings& settings, const FlagKey& flag, bool on)
{
    return settings.save(flag.key, flagText(flag, on));
}

int clampMinutes(const MinutesKey& setting, long long minutes)
{
    return static_cast<int>(std::clamp<long long>(minutes, setting.least, setting.most));
}

std::optional<int> storedMinutes(const Settings& settings, const MinutesKey& setting)
{
    const std::string text = settings.get(setting.key, "");
    const std::size_t first = text.find_first_not_of(' ');
    const std::size_t last = text.find_last_not_of(' ');
    if (first == std::string::npos)
        return std::nullopt;
    long long minutes = 0;
    const char* end = text.data() + last + 1;
    // A number too long for any range is as unreadable as a word: neither says what was meant.
    const auto [stop, error] = std::from_chars(text.data() + first, end, minutes);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return clampMinutes(setting, minutes);
}

int readMinutes(const Settings& settings, const MinutesKey& setting)
{
    return storedMinutes(settings, setting).value_or(setting.def);
}

IoResult writeMinutes(Settings& settings, const MinutesKey& setting, int minutes)
{
    return settings.save(setting.key, std::to_string(clampMinutes(setting, minutes)));
}

} // namespace quelvo
