#include "app/ctl.h"

#include <algorithm>
#include <cerrno>
#include <iostream>
#include <iterator>
#include <string_view>
#include <system_error>

namespace quelvo {

namespace {

// The commands that work on the machine schedule, and those of them that change it.
constexpr std::string_view kMachineReaders[] = {"list", "export", "check", "due", "next", "history"};
constexpr std::string_view kMachineWriters[] = {"add", "delete", "clear", "import"};
// The commands that make, change or act on the user's own schedule, which the policy may turn off.
constexpr std::string_view kUserWriters[] = {"add", "in", "delete", "clear", "import", "skip", "unskip"};

bool among(const auto& names, const std::string& name)
{
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

void printUsage(std::ostream& os, const std::vector<CtlCommand>& commands)
{
    os << "usage: quelvoctl [--folder DIR] COMMAND [ARGS]\n"
          "       quelvoctl --machine [--root DIR] COMMAND [ARGS]\n"
          "       quelvoctl --help | --version\n\ncommands:\n";
    for (const auto& c : commands)
        os << "  " << c.usage << '\n';
    os << "\n--folder DIR  use DIR instead of the program folder for events.ini\n"
#ifdef _WIN32
          "--machine     the machine schedule in %ProgramData%\\Quelvo (add, delete, clear, import:\n"
          "              administrators only; list, export, check, due, next, history: everybody)\n"
          "--root DIR    with --machine: DIR\\ProgramData\\Quelvo, and settings in a key of its own below\n"
          "              HKEY_CURRENT_USER\\Software\\QuelvoTest instead of HKLM\\Software\\Quelvo; after\n"
          "              policy show: the policy below that key instead of HKLM\\Software\\Policies\\Quelvo\n";
#else
          "--machine     the machine schedule in /etc/quelvo (add, delete, clear, import: root only;\n"
          "              list, export, check, due, next, history: everybody)\n"
          "--root DIR    with --machine: /etc/quelvo and /var/lib/quelvo under DIR; after policy show:\n"
          "              DIR/etc/quelvo/policy.ini instead of /etc/quelvo/policy.ini\n";
#endif
}

// Runs the command on the machine schedule instead of the user's, with the machine's settings.
int runOnMachine(const CtlCommand& command, const std::vector<std::string>& args, CtlContext& ctx,
                 const std::string& root)
{
    if (!ctx.openMachine) {
        ctx.err << "quelvoctl: this system keeps no machine schedule\n";
        return kCtlUsage;
    }
    if (!among(kMachineReaders, command.name) && !among(kMachineWriters, command.name)) {
        ctx.err << "quelvoctl: " << command.name << " does not work on the machine schedule\n";
        return kCtlUsage;
    }
    // Asked before anything is read or made, so that a refused change leaves no trace.
    if (among(kMachineWriters, command.name) && !(ctx.mayChangeMachine && ctx.mayChangeMachine())) {
#ifdef _WIN32
        ctx.err << "quelvoctl: only an administrator may change the machine schedule\n";
#else
        ctx.err << "quelvoctl: only root may change the machine schedule\n";
#endif
        return kCtlFailed;
    }
    const MachineStores stores = ctx.openMachine(root);
    if (!stores.problem.empty()) {
        ctx.err << "quelvoctl: " << stores.problem << '\n';
        return kCtlFailed;
    }
    CtlContext machine{*stores.fs, *stores.settings, ctx.clock, stores.folder, ctx.out, ctx.err, ctx.in};
    machine.interactive = ctx.interactive;
    machine.dryRun = ctx.dryRun;
    machine.versionQuery = ctx.versionQuery;
    machine.readerGone = ctx.readerGone;
    machine.historyFolder = stores.stateFolder;
    return command.run(machine, args);
}

int runCommand(const std::vector<std::string>& args, CtlContext& ctx, const std::vector<CtlCommand>& commands)
{
    std::size_t i = 0;
    bool machine = false;
    bool folderGiven = false;
    std::optional<std::string> root;
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
        if (option == "--machine") {
            machine = true;
            ++i;
            continue;
        }
        if (option == "--folder" || option == "--root") {
            // An empty folder would be the current one, wherever the command happens to run.
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                ctx.err << "quelvoctl: " << option << " needs a folder\n";
                return kCtlUsage;
            }
            if (option == "--folder") {
                ctx.folder = args[i + 1];
                folderGiven = true;
            } else {
                root = args[i + 1];
            }
            i += 2;
            continue;
        }
        ctx.err << "quelvoctl: unknown option " << option << "\n";
        printUsage(ctx.err, commands);
        return kCtlUsage;
    }
    if (root && !machine) {
        ctx.err << "quelvoctl: --root goes with --machine\n";
        return kCtlUsage;
    }
    if (folderGiven && machine) {
        ctx.err << "quelvoctl: --folder names a user's schedule, not the machine's\n";
        return kCtlUsage;
    }
    if (i >= args.size()) {
        printUsage(ctx.err, commands);
        return kCtlUsage;
    }
    for (const auto& c : commands) {
        if (c.name != args[i])
            continue;
        const std::vector<std::string> rest(args.begin() + static_cast<long>(i) + 1, args.end());
        if (machine)
            return runOnMachine(c, rest, ctx, root.value_or(""));
        // Asked before anything is read, so that a refused command leaves the schedule as it was.
        if (among(kUserWriters, c.name) && ctx.policy && !ctx.policy().userSchedule) {
            ctx.err << "quelvoctl: " << c.name << " is refused: " << kUserScheduleOff << '\n';
            return kCtlFailed;
        }
        return c.run(ctx, rest);
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
