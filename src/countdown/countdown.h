#pragma once

#include "power/power_outcome.h"

#include <cstdint>
#include <functional>
#include <string>

namespace quelvo {

/// Which of the two countdown windows: each carries out its own action at zero.
enum class CountdownKind { Shutdown, Reboot };

/// What the countdown window does after its action has been carried out.
enum class AfterAction {
    None,                // still counting, or the reboot window resting at "0" while the machine restarts
    EndProgram,          // the shutdown request went out: close and end the program
    CloseAndReportError, // the request failed: close, tell the user, go on
    AwaitCompanion,      // the shutdown rests with a companion: stay at "0" until it has ended
    Close                // a dry-run reboot: nothing restarts, so close and let a later reboot open it again
};

/// The result of one tick: the window shows it, then calls fire() when it is due.
struct TickStep
{
    std::string secondsText;        // new text of lab_sec
    bool actionLabelVisible = true; // the blinking SHUT DOWN / RE BOOT label
    bool stopTimer = false;
    bool due = false; // the count reached zero: carry out the action now
};

/// What the window does once the action has been carried out.
struct FireStep
{
    AfterAction after = AfterAction::None;
    std::string errorMessage;                  // for the "Error!" message when the request failed
    std::string reason;                        // why the request failed, as the request said
    bool simulated = false;                    // a dry run: the request was only printed
    std::shared_ptr<CompanionWatch> companion; // for AwaitCompanion
};

/// The ten-second countdown of the shutdown and reboot windows, without the window.
class Countdown final
{
public:
    /// Reads "Forced shut down" at the moment the count reaches zero.
    using ForcedQuery = std::function<bool()>;
    /// Carries out the power request (forced applies to the shutdown only).
    using Action = std::function<PowerOutcome(CountdownKind kind, bool forced)>;

    enum class State { Counting, Due, Fired, Closed };

    Countdown(CountdownKind kind, ForcedQuery forcedAtZero, Action act);

    /// The window was loaded: count from `seconds` (10 unless another program set the count) with the
    /// action label shown.
    void load(std::int16_t seconds = kStartSeconds);
    /// One second passed: the new display, and whether the action is due.
    TickStep tick();
    /// Carries out the due action through the callbacks, once; does nothing otherwise.
    FireStep fire();
    /// Cuts the count to its last second, so the next tick carries out the action.
    void zerocount() { m_secondsLeft = 1; }
    /// The user cancelled: nothing more happens until the next load.
    void cancel() { m_state = State::Closed; }

    [[nodiscard]] CountdownKind kind() const { return m_kind; }
    [[nodiscard]] std::int16_t SecondsLeft() const { return m_secondsLeft; }
    [[nodiscard]] State state() const { return m_state; }
    [[nodiscard]] bool actionLabelVisible() const { return m_actionLabelVisible; }

    static constexpr std::int16_t kStartSeconds = 10;

private:
    CountdownKind m_kind;
    ForcedQuery m_forcedAtZero;
    Action m_act;
    std::int16_t m_secondsLeft = kStartSeconds;
    bool m_actionLabelVisible = true;
    State m_state = State::Closed;
};

/// The "Error!" text shown when a power request failed.
[[nodiscard]] std::string powerFailureMessage(CountdownKind kind, const std::string& reason);

} // namespace quelvo
