#include "countdown/countdown.h"

#include <exception>
#include <limits>
#include <string>
#include <utility>

namespace quelvo {

Countdown::Countdown(CountdownKind kind, ForcedQuery forcedAtZero, Action act)
    : m_kind(kind), m_forcedAtZero(std::move(forcedAtZero)), m_act(std::move(act))
{}

void Countdown::load(std::int16_t seconds)
{
    m_secondsLeft = seconds;
    m_actionLabelVisible = true;
    m_state = State::Counting;
}

TickStep Countdown::tick()
{
    TickStep step;
    if (m_state != State::Counting) {
        // A stopped timer delivers no ticks; a late one must not act a second time.
        step.secondsText = std::to_string(m_secondsLeft);
        step.actionLabelVisible = m_actionLabelVisible;
        return step;
    }
    if (m_secondsLeft > std::numeric_limits<std::int16_t>::min())
        --m_secondsLeft;
    m_actionLabelVisible = !m_actionLabelVisible;
    step.secondsText = std::to_string(m_secondsLeft);
    step.actionLabelVisible = m_actionLabelVisible;
    if (m_secondsLeft < 1) {
        step.stopTimer = true;
        step.due = true;
        m_state = State::Due;
    }
    return step;
}

FireStep Countdown::fire()
{
    FireStep step;
    if (m_state != State::Due)
        return step;
    m_state = State::Fired;

    bool forced = false;
    if (m_kind == CountdownKind::Shutdown && m_forcedAtZero)
        forced = m_forcedAtZero();

    PowerOutcome outcome;
    if (m_act) {
        try {
            outcome = m_act(m_kind, forced);
        } catch (const std::exception& e) {
            outcome = {true, e.what()};
        } catch (...) {
            outcome = {true, "unknown error"};
        }
    }

    if (outcome.failed) {
        step.errorMessage = powerFailureMessage(m_kind, outcome.reason);
        step.reason = outcome.reason;
    }
    step.simulated = outcome.simulated;
    if (m_kind == CountdownKind::Shutdown) {
        // Ending the program after a failed request would leave the schedule unwatched.
        step.after = outcome.failed ? AfterAction::CloseAndReportError : AfterAction::EndProgram;
        if (!outcome.failed && outcome.companion) {
            step.after = AfterAction::AwaitCompanion;
            step.companion = outcome.companion;
        }
        m_state = State::Closed;
    } else if (outcome.failed || outcome.simulated) {
        // Only a reboot on its way rests at "0"; a window left there would swallow the next reboot.
        step.after = outcome.failed ? AfterAction::CloseAndReportError : AfterAction::Close;
        m_state = State::Closed;
    }
    return step;
}

std::string powerFailureMessage(CountdownKind kind, const std::string& reason)
{
    std::string text =
        kind == CountdownKind::Shutdown ? "The computer could not be shut down" : "The computer could not be restarted";
    if (reason.empty())
        return text + ".";
    return text + ": " + reason;
}

} // namespace quelvo
