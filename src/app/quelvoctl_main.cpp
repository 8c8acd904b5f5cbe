#include "app/ctl.h"
#include "app/ctl_machine.h"

#include <cstdlib>
#include <iostream>

#ifdef _WIN32
#include "platform/windows/locations.h"
#include "platform/windows/machine_folder.h"
#include "platform/windows/registry_settings.h"
#include "platform/windows/system_clock.h"
#include "platform/windows/windows_file_system.h"
#include "platform/windows/windows_power.h"

#include <io.h>
#include <windows.h>
#else
#include "platform/linux/linux_power.h"
#include "platform/linux/locations.h"
#include "platform/linux/posix_file_system.h"
#include "platform/linux/settings_store.h"
#include "platform/linux/system_clock.h"

#include <unistd.h>
#endif

// Command-line tool over the same core as the tray program.
int main(int argc, char** argv)
{
    using namespace quelvo;
#ifdef _WIN32
    WindowsFileSystem fs;
    RegistrySettings settings;
    WindowsVersionQuery versionQuery;
    const bool interactive = ::_isatty(::_fileno(stdin)) != 0;
#else
    PosixFileSystem fs;
    SettingsStore settings(fs, settingsFilePath());
    LinuxVersionQuery versionQuery;
    const bool interactive = ::isatty(STDIN_FILENO) != 0;
#endif
    SystemClock clock;
    CtlContext ctx{fs, settings, clock, programFolder(), std::cout, std::cerr, std::cin};
    ctx.versionQuery = &versionQuery;
    ctx.interactive = interactive;
    ctx.historyFolder = historyFolder();
    ctx.openMachine = openMachineStores;
    ctx.readPolicy = readMachinePolicy;
    ctx.policy = [] { return readMachinePolicy({}).reading.policy; };
#ifdef _WIN32
    ctx.mayChangeMachine = runsAsAdministrator;
    // The C library calls a write to a pipe whose reader closed an invalid argument; the
    // system's own error says what happened.
    ctx.readerGone = [] {
        const DWORD error = ::GetLastError();
        return error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED;
    };
#else
    ctx.mayChangeMachine = [] { return ::geteuid() == 0; };
#endif
    const char* dry = std::getenv("QUELVO_DRY_RUN");
    ctx.dryRun = dry != nullptr && std::string(dry) == "1";

    std::vector<CtlCommand> commands = scheduleCommands();
    for (auto* more : {&settingsCommands, &powerCommands, &policyCommands}) {
        auto extra = more();
        commands.insert(commands.end(), extra.begin(), extra.end());
    }
    return runQuelvoctl(std::vector<std::string>(argv + 1, argv + argc), ctx, commands);
}
