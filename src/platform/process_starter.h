#pragma once

#include <functional>
#include <string>

namespace quelvo {

/// Outcome of starting a process: started, or a readable reason why not.
struct StartResult
{
    bool started = false;
    std::string reason;
    bool watched = false; // startWatched will report how the process ended
};

/// How a watched process ended: its exit status, or that the time given ran out first.
struct ProcessEnd
{
    bool timedOut = false;
    int status = 0; // a process ended by a signal counts as 128 plus the signal's number
};

/// Starts a command line as a new process and does not wait for it.
class ProcessStarter
{
public:
    virtual ~ProcessStarter() = default;

    /// Starts the command line; the show-window value says how its window should appear.
    virtual StartResult start(const std::string& commandLine, int showWindow) = 0;

    /// Starts like start() and, when the result says `watched`, later calls `ended` once, on the
    /// caller's thread and without blocking it: with the exit status, or timed out when `limitMs`
    /// passed first. A starter that cannot watch starts the process unwatched.
    virtual StartResult startWatched(const std::string& commandLine, int showWindow, int limitMs,
                                     std::function<void(ProcessEnd)> ended)
    {
        (void)limitMs;
        (void)ended;
        return start(commandLine, showWindow);
    }
};

} // namespace quelvo
