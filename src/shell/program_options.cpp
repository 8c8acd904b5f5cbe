#include "shell/program_options.h"

namespace quelvo {

namespace {

const char* const kUsage = "usage: quelvo [--dry-run] [--show] [--folder DIR]\n"
                           "       quelvo --help | --version\n"
                           "\n"
                           "Shuts the computer down or restarts it at the times you chose, from an icon\n"
                           "in the notification area.\n"
                           "\n"
                           "  --dry-run     print every power request instead of making it\n"
                           "                (also QUELVO_DRY_RUN=1)\n"
                           "  --show        when Quelvo already runs, show its main window\n"
                           "  --folder DIR  keep events.ini in DIR instead of the program folder\n";

} // namespace

std::optional<ProgramExit> parseProgramOptions(const std::vector<std::string>& args, ProgramOptions& options)
{
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help")
            return ProgramExit{0, kUsage, {}};
        if (arg == "--version")
            return ProgramExit{0, std::string("quelvo ") + QUELVO_VERSION + '\n', {}};
        if (arg == "--dry-run") {
            options.dryRun = true;
        } else if (arg == "--show") {
            options.show = true;
        } else if (arg == "--folder" && i + 1 < args.size()) {
            options.folder = args[++i];
        } else {
            return ProgramExit{2, {}, "quelvo: unknown option " + arg + "\n" + kUsage};
        }
    }
    return std::nullopt;
}

} // namespace quelvo
