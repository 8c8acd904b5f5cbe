#include "platform/settings_keys.h"

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

} // namespace quelvo
