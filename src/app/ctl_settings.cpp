#include "app/ctl.h"

#include <ostream>

namespace quelvo {

namespace {

int get(CtlContext& ctx, const std::vector<std::string>& args)
{
    if (args.empty() || args.size() > 2) {
        ctx.err << "usage: quelvoctl get KEY [DEFAULT]\n";
        return kCtlUsage;
    }
    // A file in the way is an error, not a default.
    if (IoResult r = ctx.settings.readState(); !r.ok()) {
        ctx.err << "quelvoctl: " << r.error << '\n';
        return kCtlFailed;
    }
    ctx.out << ctx.settings.get(args[0], args.size() == 2 ? args[1] : std::string()) << '\n';
    return kCtlOk;
}

int set(CtlContext& ctx, const std::vector<std::string>& args)
{
    if (args.size() != 2) {
        ctx.err << "usage: quelvoctl set KEY VALUE\n";
        return kCtlUsage;
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
        {"set", "set KEY VALUE      store a setting", set},
    };
}

} // namespace quelvo
