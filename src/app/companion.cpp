#include "app/companion.h"

#include "power/power_table.h"

#ifdef _WIN32
#include "platform/windows/power_backend.h"
#else
#include "platform/linux/power_backend.h"

#include <QCoreApplication>
#endif
#include <iomanip>
#include <iostream>
#include <sstream>

namespace quelvo {

std::optional<CompanionRequest> parseCompanionArgs(Companion which, const std::vector<std::string>& args)
{
    CompanionRequest request;
    std::vector<std::string> switches;
    for (const auto& arg : args) {
        if (arg == "--dry-run")
            request.dryRun = true;
        else
            switches.push_back(arg);
    }
    using Switches = std::vector<std::string>;
    if (which == Companion::Shutdown) {
        if (switches == Switches{"-u"})
            request.flags = kExitPowerOff;
        else if (switches == Switches{"-u", "-f"} || switches == Switches{"-f", "-u"})
            request.flags = kExitPowerOff | kExitForce;
        else
            return std::nullopt;
        return request;
    }
    if (switches == Switches{"-p"})
        request.flags = kExitPowerOff;
    else if (switches == Switches{"-r"})
        request.flags = kExitReboot;
    else
        return std::nullopt;
    return request;
}

std::string_view companionName(Companion which)
{
    return which == Companion::Shutdown ? "velmorshutdown" : "velmorlogoff";
}

std::string companionUsage(Companion which)
{
    if (which == Companion::Shutdown)
        return "usage: velmorshutdown [--dry-run] -u [-f]\n"
               "  -u     shut the computer down\n"
               "  -u -f  shut it down without waiting for programs that hold it up\n";
    return "usage: velmorlogoff [--dry-run] -p | -r\n"
           "  -p  power the computer off\n"
           "  -r  restart the computer\n";
}

int runCompanion(Companion which, int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << companionUsage(which);
        return 0;
    }
    const auto request = parseCompanionArgs(which, args);
    if (!request) {
        std::cerr << companionUsage(which);
        return 2;
    }
#ifndef _WIN32
    // QtDBus wants an application object before the bus is used.
    QCoreApplication app(argc, argv);
#endif
    const auto backend = makePowerBackend(request->dryRun || dryRunFromEnvironment());
    try {
        backend->shutdown().ShutdownSystem(request->flags);
    } catch (const ShutdownError& error) {
        std::ostringstream number;
        number << "0x" << std::hex << std::uppercase << error.number();
        std::cerr << companionName(which) << ": " << error.description() << " (error " << number.str() << ", "
                  << error.source() << ")\n";
        return 1;
    }
    return 0;
}

} // namespace quelvo
