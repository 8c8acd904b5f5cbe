#pragma once

#include <string>

namespace quelvo {

/// Outcome of starting a process: started, or a readable reason why not.
struct StartResult
{
    bool started = false;
    std::string reason;
};

/// Starts a command line as a new process and does not wait for it.
class ProcessStarter
{
public:
    virtual ~ProcessStarter() = default;

    /// Starts the command line; the show-window value says how its window should appear.
    virtual StartResult start(const std::string& commandLine, int showWindow) = 0;
};

} // namespace quelvo
