#pragma once

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/settings.h"
#include "power/power_outcome.h"
#include "schedule/history.h"
#include "schedule/next_firing.h"
#include "schedule/policy.h"
#include "schedule/schedule_checker.h"
#include "schedule/schedule_file.h"
#include "schedule/warning_planner.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo {

/// What the machine's service does in the world when the scheduler decides. People at the machine
/// may answer through the service (cancel, postpone, skip); when nobody does, the countdown runs out
/// and the service acts by itself.
class MachineHooks
{
public:
    virtual ~MachineHooks() = default;

    /// Tells the machine's users that a firing is near.
    virtual void warn(const NextFiring& firing, const WarningNotice& notice) = 0;
    /// A firing's countdown began: the action follows `seconds` later unless somebody cancels it.
    virtual void countdownStarted(const std::string& line, bool reboot, int seconds) = 0;
    /// The running countdown ended: its request was made (fired, failed or a dry run's) or it was
    /// cancelled, postponed or skipped, by `who` (empty when nobody: the count ran out).
    virtual void countdownEnded(HistoryOutcome outcome, const std::string& who) = 0;
    /// Shuts the machine down or restarts it; `forced` ignores whatever inhibits it.
    virtual PowerOutcome powerAction(bool reboot, bool forced) = 0;
    /// Keeps one entry of the machine's history: firings, cancels, postpones, skips, failures, dry
    /// runs and missed firings (those the machine slept or the clock leapt over; never made late).
    virtual void record(const HistoryEntry& entry) = 0;
    /// A problem with the schedule or its records.
    virtual void reportError(const std::string& text) = 0;
};

/// What became of a request from a person at the machine: nothing to say when it was carried out,
/// else why not ("no countdown is running", the file's error, ...).
struct MachineReply
{
    bool ok = true;
    std::string error;
};

/// The refusal of a request that only a running countdown can answer.
inline constexpr std::string_view kNoCountdownText = "no countdown is running";
/// The refusals of what the administrator's policy does not allow.
inline constexpr std::string_view kNoCancelText = "the administrator does not allow cancelling this countdown";
inline constexpr std::string_view kNoSkipText = "the administrator does not allow skipping this event";

/// Why a firing already put off `allowed` times may not be put off again: "this event may be
/// postponed only twice", or, when `allowed` is 0, that the administrator does not allow it.
std::string postponeLimitText(int allowed);

/// How many missed firings one wake-up reports at most, the earliest ones: a machine that slept
/// for weeks is told of its first misses, not of every one.
inline constexpr int kMissedReported = 50;

/// The decisions of the machine's service, which sleeps between the moments that matter instead of
/// ticking: nextWake() says when to wake, wake() acts on the clock as it stands then, whatever woke
/// it (the timer, a clock set by hand, a resume from sleep, a change of the schedule, its settings or
/// the time zone). The minutes since the last wake-up go through the checker's own rules, so a
/// service woken a little late fires what the tray program would, and minutes that the machine
/// slept through or the clock leapt over are reported as missed and never fired.
/// The administrator's policy decides whether people may cancel, how often and how far they may
/// postpone a firing, the warning time, the holidays on which nothing fires, and whether the power
/// request is forced.
class MachineScheduler final : private CheckerHost
{
public:
    MachineScheduler(FileSystem& fs, std::string folder, Settings& settings, const Clock& clock, MachineHooks& hooks);

    /// The policy the decisions follow from now on; the defaults until the host sets one.
    void setPolicy(Policy policy);

    /// The moment to wake at next when nothing else does: the end of a running countdown, the next
    /// warning or the next firing, whichever comes first; nullopt when the schedule holds none.
    [[nodiscard]] std::optional<WallTime> nextWake();

    /// Acts on the moment the service woke at: carries out a countdown that has ended, reports the
    /// firings missed since the last wake-up, fires what is due, reads the schedule again and warns
    /// of the next firing when its warning is due.
    void wake();

    /// The firing the service waits for next (after a running countdown's), if any; firings on the
    /// policy's holidays are passed over.
    [[nodiscard]] std::optional<NextFiring> next();
    /// Stops the running countdown: nothing is requested; recorded as cancelled by `who`. Refused,
    /// the countdown going on, where the policy does not allow cancelling.
    MachineReply cancel(const std::string& who);
    /// Puts off the running countdown's action, else the next firing, by the policy's minutes: a
    /// one-off event is written that much later and the firing skipped. The one-off event carries the
    /// count of postpones before it, and a firing postponed as often as the policy allows is refused.
    MachineReply postpone(const std::string& who);
    /// Leaves out the running countdown's action, else the next firing, this once. Refused where the
    /// policy does not allow cancelling, as skipping is cancelling by another name.
    MachineReply skip(const std::string& who);

    /// True while a fired event's countdown runs.
    [[nodiscard]] bool counting() const { return m_countdown.has_value(); }

private:
    // The checker's view of the service.
    [[nodiscard]] const std::vector<std::string>& lstEvents() const override { return m_lines; }
    IoResult dropevent(const std::string& matchedLine) override;
    void openCountdown(bool reboot, const std::string& line) override;
    void reportError(const std::string& text) override { m_hooks.reportError(text); }
    bool heldBack(const std::string& line, bool reboot, long long localMinute) override;

    struct Running
    {
        bool reboot = false;
        std::string line;
        std::chrono::steady_clock::time_point ends{};
    };

    // Whether a firing on one of the policy's holidays counts.
    enum class Holidays { Included, PassedOver };

    void reload();
    void reportMissed(WallTime since, WallTime now);
    // The moment from which firings are waited for.
    [[nodiscard]] WallTime waitFrom() const;
    [[nodiscard]] std::optional<NextFiring> upcoming(WallTime from, Holidays holidays = Holidays::PassedOver) const;
    [[nodiscard]] bool onHoliday(const LocalTime& t) const;
    [[nodiscard]] bool forced() const;
    // Writes down and tells how a countdown that is no longer running ended.
    void finish(const Running& ended, HistoryOutcome outcome, const std::string& who, const std::string& detail = {});
    // One entry of the machine's history.
    void record(WallTime time, bool reboot, const std::string& line, HistoryOutcome outcome, const std::string& who,
                const std::string& detail = {});
    // Appends the one-off event of a postpone of `line`'s firing, `minutes` after `from`, and hands
    // the count of postpones on to it.
    MachineReply writePostponed(const std::string& line, WallTime from, bool reboot, int minutes);
    // How often the firing of `line` was postponed before: its one-off event's count.
    [[nodiscard]] int postponesOf(const std::string& line) const;
    // Forgets the count of the firing of `ended`, which fired or went, and of lines no longer
    // scheduled; `next`, when given, is the one-off event it became, put off `count` times.
    void keepPostpones(const std::string& ended, const std::string& next = {}, int count = 0);
    // Leaves out a firing that has no countdown yet, and writes down why.
    MachineReply skipNext(const NextFiring& firing, HistoryOutcome outcome, const std::string& who);

    ScheduleFile m_file;
    Settings& m_settings;
    const Clock& m_clock;
    MachineHooks& m_hooks;
    Policy m_policy;
    ScheduleChecker m_checker;
    WarningPlanner m_warnings;
    std::vector<std::string> m_lines;
    std::optional<WallTime> m_lastWake;
    std::optional<Running> m_countdown;
};

} // namespace quelvo
