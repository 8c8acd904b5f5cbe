#include "app/ctl.h"

#include <cerrno>
#include <iostream>
#include <system_error>

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

int runCommand(const std::vector<std::string>& args, CtlContext& ctx, const std::vector<CtlCommand>& commands)
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
            // An empty folder would be the current one, wherever the command happens to run.
            if (i + 1 >= args.size() || args[i + 1].empty()) {
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

} // namespace

int runQuelvoctl(const std::vector<std::string>& args, CtlContext& ctx, const std::vector<CtlCommand>& commands)
{
    // Cleared, so that the reason given for a failed write is never one left from before.
    errno = 0;
    const int code = runCommand(args, ctx, commands);
    // A script reads an export or a list as done only when every byte reached it.
    ctx.out.flush();
    if (ctx.out)
        return code;
    const int error = errno;
    // A reader that went away needs no explanation, as with other tools whose pipe is closed.
    if (error != EPIPE && !(ctx.readerGone && ctx.readerGone())) {
        ctx.err << "quelvoctl: cannot write the output: "
                << (error != 0 ? std::generic_category().message(error) : std::string("unknown error")) << '\n';
    }
    return kCtlFailed;
}

bool settingsReadable(CtlContext& ctx)
{
    if (IoResult r = ctx.settings.readState(); !r.ok()) {
        ctx.err << "quelvoctl: " << r.error << '\n';
        return false;
    }
    return true;
}

} // namespace quelvo
