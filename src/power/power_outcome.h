#pragma once

#include <string>

namespace quelvo {

/// What came of a power command. The command itself goes on past failures; the outcome lets
/// its caller see that the request visibly failed (a process that could not be started, or an
/// exit request that was refused) and keep the program running.
struct PowerOutcome
{
    bool failed = false;
    std::string reason;     // every failed step's reason, in order, separated by "; "
    bool simulated = false; // a dry run: the request was only printed, nothing goes down
};

} // namespace quelvo
