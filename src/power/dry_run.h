#pragma once

#include "platform/clock.h"
#include "platform/exit_request.h"
#include "platform/process_starter.h"

#include <functional>
#include <string>
#include <string_view>

namespace quelvo {

/// Where a dry run's lines go, one whole line (without its end) at a time.
using DryRunOutput = std::function<void(const std::string& line)>;

/// Standard output, flushed after every line: a watcher must see the request even if the program
/// ends right after it.
DryRunOutput standardOutputLines();

/// Starts nothing: prints `power: run "<command line>" show <n>` and reports success.
class DryRunProcessStarter final : public ProcessStarter
{
public:
    explicit DryRunProcessStarter(DryRunOutput out);
    StartResult start(const std::string& commandLine, int showWindow) override;

private:
    DryRunOutput m_out;
};

/// Requests nothing: prints `power: ShutdownSystem <flags>` and reports it accepted.
class DryRunExitRequester final : public ExitRequester
{
public:
    explicit DryRunExitRequester(DryRunOutput out);
    ExitResult requestExit(std::int32_t flags) override;

private:
    DryRunOutput m_out;
};

/// The lines a dry run of the tray program prints beside its power requests, so that a test driving
/// the real windows can follow them from outside; the end-to-end scripts read them word for word.
/// Without an output it says nothing.
class DryRunReporter final
{
public:
    explicit DryRunReporter(DryRunOutput out = {});

    /// `tray: menu <summary>`: the tray menu just opened (`summary` as trayMenuSummary gives it).
    void trayMenuOpened(const std::string& summary) const;
    /// `tray: chose <key>`: a tray menu item was chosen.
    void trayMenuChosen(std::string_view key) const;
    /// `countdown: open shutdown` or `countdown: open reboot`: the checker opened a countdown.
    void countdownOpened(bool reboot) const;
    /// `warn: shutdown at <local time with offset>` (or `warn: reboot at ...`): the warning of the
    /// firing at `at` was shown.
    void warningShown(bool reboot, WallTime at, const Clock& clock) const;
    /// `postpone: wrote <line>`: an event was put off by this line.
    void postponeWritten(const std::string& line) const;
    /// `skip: <line> at <local time with offset>`, or `skip: removed <line>` for a one-off line: the
    /// firing at `at` will not be made.
    void firingSkipped(const std::string& line, WallTime at, bool removed, const Clock& clock) const;

private:
    DryRunOutput m_out;
};

/// True when QUELVO_DRY_RUN is "1".
bool dryRunFromEnvironment();

} // namespace quelvo
