#pragma once

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/settings.h"
#include "schedule/next_firing.h"
#include "schedule/schedule_checker.h"
#include "schedule/schedule_file.h"
#include "schedule/warning_planner.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace quelvo {

/// What the machine's service does in the world when the scheduler decides: nobody sits at the
/// machine to answer, so nothing here waits for a choice.
class MachineHooks
{
public:
    virtual ~MachineHooks() = default;

    /// Tells the machine's users that a firing is near.
    virtual void warn(const WarningNotice& notice) = 0;
    /// A firing's countdown began: the action follows `seconds` later, and nobody can cancel it.
    virtual void countdownStarted(bool reboot, int seconds) = 0;
    /// Shuts the machine down or restarts it.
    virtual void powerAction(bool reboot) = 0;
    /// A firing that passed while the machine slept or the clock leapt over it; it is never made late.
    virtual void missed(const NextFiring& firing) = 0;
    /// A problem with the schedule or its records.
    virtual void reportError(const std::string& text) = 0;
};

/// How many missed firings one wake-up reports at most, the earliest ones: a machine that slept
/// for weeks is told of its first misses, not of every one.
inline constexpr int kMissedReported = 50;

/// The decisions of the machine's service, which sleeps between the moments that matter instead of
/// ticking: nextWake() says when to wake, wake() acts on the clock as it stands then, whatever woke
/// it (the timer, a clock set by hand, a resume from sleep, a change of the schedule, its settings or
/// the time zone). The minutes since the last wake-up go through the checker's own rules, so a
/// service woken a little late fires what the tray program would, and minutes that the machine
/// slept through or the clock leapt over are reported as missed and never fired.
class MachineScheduler final : private CheckerHost
{
public:
    MachineScheduler(FileSystem& fs, std::string folder, Settings& settings, const Clock& clock, MachineHooks& hooks);

    /// The moment to wake at next when nothing else does: the end of a running countdown, the next
    /// warning or the next firing, whichever comes first; nullopt when the schedule holds none.
    [[nodiscard]] std::optional<WallTime> nextWake();

    /// Acts on the moment the service woke at: carries out a countdown that has ended, reports the
    /// firings missed since the last wake-up, fires what is due, reads the schedule again and warns
    /// of the next firing when its warning is due.
    void wake();

    /// True while a fired event's countdown runs.
    [[nodiscard]] bool counting() const { return m_countdown.has_value(); }

private:
    // The checker's view of the service.
    [[nodiscard]] const std::vector<std::string>& lstEvents() const override { return m_lines; }
    IoResult dropevent(const std::string& matchedLine) override;
    void openCountdown(bool reboot, const std::string& line) override;
    void reportError(const std::string& text) override { m_hooks.reportError(text); }

    void reload();
    void reportMissed(WallTime since, WallTime now);
    [[nodiscard]] std::optional<NextFiring> upcoming(WallTime from) const;

    struct Running
    {
        bool reboot = false;
        std::string line;
        std::chrono::steady_clock::time_point ends{};
    };

    ScheduleFile m_file;
    Settings& m_settings;
    const Clock& m_clock;
    MachineHooks& m_hooks;
    ScheduleChecker m_checker;
    WarningPlanner m_warnings;
    std::vector<std::string> m_lines;
    std::optional<WallTime> m_lastWake;
    std::optional<Running> m_countdown;
};

} // namespace quelvo
