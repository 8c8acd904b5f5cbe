#include "app/ctl.h"

#include <iostream>

namespace quelvo {

namespace {

void printUsage(std::ostream& os, const std::vector<CtlCommand>& commands)
{
    os << "usage: quelvoctl [--folder DIR] COMMAND [ARGS]\n"
          "       quelvoctl --help | --version\n\ncommands:\n";
    for (const auto& c : commands)
        os << "  " << c.usage << '\n';
    os << "\n--folder DIR  use DIR instead of the program folder for events.ini\n";
}

} // namespace

int runQuelvoctl(const std::vector<std::string>& args, CtlContext& ctx, const std::vector<CtlCommand>& commands)
{
    std::size_t i = 0;
    while (i < args.size() && args[i].starts_with("--")) {
        const std::string& option = args[i];
        if (option == "--help") {
            printUsage(ctx.out, commands);
            return kCtlOk;
        }
        if (option == "--version") {
            ctx.out << "quelvoctl " << QUELVO_VERSION << '\n';
            return kCtlOk;
        }
        if (option == "--dry-run") {
            ctx.dryRun = true;
            ++i;
            continue;
        }
        if (option == "--folder") {
            if (i + 1 >= args.size()) {
                ctx.err << "quelvoctl: --folder needs a folder\n";
                return kCtlUsage;
            }
            ctx.folder = args[i + 1];
            i += 2;
            continue;
        }
        ctx.err << "quelvoctl: unknown option " << option << "\n";
        printUsage(ctx.err, commands);
        return kCtlUsage;
    }
    if (i >= args.size()) {
        printUsage(ctx.err, commands);
        return kCtlUsage;
    }
    for (const auto& c : commands) {
        if (c.name == args[i])
            return c.run(ctx, std::vector<std::string>(args.begin() + static_cast<long>(i) + 1, args.end()));
    }
    ctx.err << "quelvoctl: unknown command " << args[i] << "\n";
    printUsage(ctx.err, commands);
    return kCtlUsage;
}

} // namespace quelvo
