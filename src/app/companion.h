#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo {

/// The two companion programs that quelvo starts by name.
enum class Companion {
    Shutdown, // velmorshutdown: -u shuts down, -u -f forces it
    Logoff,   // velmorlogoff: -p powers off, -r restarts
};

/// What a companion was asked to do: the exit flags of its request, and whether only to print it.
struct CompanionRequest
{
    std::int32_t flags = 0;
    bool dryRun = false;

    bool operator==(const CompanionRequest&) const = default;
};

/// Reads a companion's switches; nullopt when they are not one of its accepted forms.
std::optional<CompanionRequest> parseCompanionArgs(Companion which, const std::vector<std::string>& args);

/// The usage text of a companion.
std::string companionUsage(Companion which);

/// The program name of a companion.
std::string_view companionName(Companion which);

/// Runs a companion: parses the switches, makes the request and reports a failure on stderr.
/// Returns 0 when the request was accepted, 1 when it failed and 2 for bad switches.
int runCompanion(Companion which, int argc, char** argv);

} // namespace quelvo
