#include "app/ctl.h"
#include "platform/linux/linux_power.h"
#include "platform/linux/locations.h"
#include "platform/linux/posix_file_system.h"
#include "platform/linux/system_clock.h"
#include "shell/settings_store.h"

#include <cstdlib>
#include <iostream>
#include <unistd.h>

// Command-line tool over the same core as the tray program.
int main(int argc, char** argv)
{
    using namespace quelvo;
    PosixFileSystem fs;
    SettingsStore settings(fs, settingsFilePath());
    SystemClock clock;
    CtlContext ctx{fs, settings, clock, programFolder(), std::cout, std::cerr, std::cin};
    LinuxVersionQuery versionQuery;
    ctx.versionQuery = &versionQuery;
    ctx.interactive = ::isatty(STDIN_FILENO) != 0;
    const char* dry = std::getenv("QUELVO_DRY_RUN");
    ctx.dryRun = dry != nullptr && std::string(dry) == "1";

    std::vector<CtlCommand> commands = scheduleCommands();
    for (auto* more : {&settingsCommands, &powerCommands}) {
        auto extra = more();
        commands.insert(commands.end(), extra.begin(), extra.end());
    }
    return runQuelvoctl(std::vector<std::string>(argv + 1, argv + argc), ctx, commands);
}
