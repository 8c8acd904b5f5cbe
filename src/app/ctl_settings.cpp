#include "app/ctl.h"

#include "platform/settings_keys.h"
#include "schedule/event_line.h"

#include <ostream>
#include <string_view>

namespace quelvo {

namespace {

int get(CtlContext& ctx, const std::vector<std::string>& args)
{
    if (args.empty() || args.size() > 2) {
        ctx.err << "usage: quelvoctl get KEY [DEFAULT]\n";
        return kCtlUsage;
    }
    // A file in the way is an error, not a default.
    if (!settingsReadable(ctx))
        return kCtlFailed;
    ctx.out << ctx.settings.get(args[0], args.size() == 2 ? args[1] : std::string()) << '\n';
    return kCtlOk;
}

int set(CtlContext& ctx, const std::vector<std::string>& args)
{
    if (args.size() != 2) {
        ctx.err << "usage: quelvoctl set KEY VALUE\n";
        return kCtlUsage;
    }
    // Any other value of a flag would be read differently by different parts of the program (the
    // editor and the checker for `24hr`).
    for (const FlagKey& flag : setting::kFlags) {
        if (equalsIgnoringCase(args[0], flag.key) && args[1] != flag.on && args[1] != flag.off) {
            ctx.err << "usage: quelvoctl set " << flag.key << ' ' << flag.on << '|' << flag.off << '\n';
            return kCtlUsage;
        }
    }
    if (IoResult r = ctx.settings.save(args[0], args[1]); !r.ok()) {
        ctx.err << "quelvoctl: " << r.error << '\n';
        return kCtlFailed;
    }
    return kCtlOk;
}

} // namespace

std::vector<CtlCommand> settingsCommands()
{
    return {
        {"get", "get KEY [DEFAULT]  print a setting, or DEFAULT (empty) when it is not stored", get},
        {"set", "set KEY VALUE      store a setting (24hr, forced, pause, nexttip: True or False; hide: 1 or 0)", set},
    };
}

} // namespace quelvo
