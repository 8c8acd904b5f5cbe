#include "countdown/countdown_presenter.h"

#include <utility>

namespace quelvo {

CountdownPresenter::CountdownPresenter(CountdownKind kind, CountdownHooks hooks, ViewFactory makeView)
    : m_countdown(kind, hooks.forcedAtZero, hooks.act), m_hooks(std::move(hooks)), m_makeView(std::move(makeView))
{}

CountdownPresenter::~CountdownPresenter()
{
    // The window goes with the program; its action must not follow.
    stop();
}

void CountdownPresenter::open()
{
    if (!m_view) {
        m_view = m_makeView(m_countdown.kind(), *this);
        m_countdown.load();
        m_view->setSecondsText(std::to_string(Countdown::kStartSeconds));
        m_view->setActionVisible(true);
        m_postponeMinutes = m_hooks.postponeMinutes && m_hooks.postpone ? m_hooks.postponeMinutes() : 0;
        m_view->showPostpone(m_postponeMinutes > 0 ? countdownPostponeCaption(m_postponeMinutes) : std::string());
        m_view->startTicking(kTickMs);
    }
    m_view->showWindow();
}

void CountdownPresenter::openAtZero()
{
    open();
    m_view->setSecondsText("0");
    m_countdown.zerocount();
    // Asked for now: there is nothing to put off.
    hidePostpone();
}

void CountdownPresenter::tick()
{
    if (!m_view)
        return;
    const TickStep step = m_countdown.tick();
    m_view->setSecondsText(step.secondsText);
    m_view->setActionVisible(step.actionLabelVisible);
    if (step.stopTimer)
        m_view->stopTicking();
    if (!step.due)
        return;
    hidePostpone(); // the request goes out now; too late to put it off

    const FireStep fired = m_countdown.fire();
    switch (fired.after) {
    case AfterAction::None:
        tellEnded(HistoryOutcome::Fired); // a reboot on its way
        break;
    case AfterAction::EndProgram:
        tellEnded(fired.simulated ? HistoryOutcome::DryRun : HistoryOutcome::Fired);
        closeView();
        if (m_hooks.endProgram)
            m_hooks.endProgram();
        break;
    case AfterAction::CloseAndReportError:
        tellEnded(HistoryOutcome::Failed, fired.reason);
        // The message stands on its own: it stays after the window has gone.
        m_view->showError(fired.errorMessage);
        closeView();
        break;
    case AfterAction::Close:
        tellEnded(HistoryOutcome::DryRun); // a dry-run reboot
        closeView();
        break;
    case AfterAction::AwaitCompanion:
        // The window rests at "0" while the companion works; the program keeps running meanwhile.
        m_awaitingCompanion = true;
        m_companionUntold = true;
        fired.companion->onEnd([this, alive = std::weak_ptr<int>(m_alive)](const CompanionEnd& end) {
            if (!alive.expired())
                companionEnded(end);
        });
        break;
    }
}

void CountdownPresenter::companionEnded(const CompanionEnd& end)
{
    // The request went out whatever the window did meanwhile; what came of it is told all the same.
    if (std::exchange(m_companionUntold, false)) {
        if (end.kind == CompanionEnd::Kind::Failed)
            tellEnded(HistoryOutcome::Failed, end.reason);
        else
            tellEnded(HistoryOutcome::Fired);
    }
    if (!std::exchange(m_awaitingCompanion, false))
        return; // the user closed the window meanwhile
    switch (end.kind) {
    case CompanionEnd::Kind::Succeeded:
        closeView();
        if (m_hooks.endProgram)
            m_hooks.endProgram();
        break;
    case CompanionEnd::Kind::Failed:
        // As a refused direct request: say why and keep watching the schedule.
        if (m_view)
            m_view->showError(powerFailureMessage(m_countdown.kind(), end.reason));
        closeView();
        break;
    case CompanionEnd::Kind::StillRunning:
        // A password prompt may still be open: keep watching, and say nothing.
        closeView();
        break;
    }
}

void CountdownPresenter::cancel()
{
    const bool counting = stillCounting();
    stop();
    if (counting)
        tellEnded(HistoryOutcome::Cancelled);
}

void CountdownPresenter::stop()
{
    m_awaitingCompanion = false;
    m_countdown.cancel();
    closeView();
}

void CountdownPresenter::postpone()
{
    if (!m_view || m_postponeMinutes == 0 || m_countdown.state() != Countdown::State::Counting)
        return;
    const int minutes = m_postponeMinutes;
    stop();
    m_hooks.postpone(m_countdown.kind(), minutes);
}

void CountdownPresenter::hidePostpone()
{
    if (std::exchange(m_postponeMinutes, 0) > 0 && m_view)
        m_view->showPostpone({});
}

void CountdownPresenter::closed()
{
    if (stillCounting())
        tellEnded(HistoryOutcome::Cancelled);
    m_awaitingCompanion = false;
    m_countdown.cancel();
    m_view = nullptr;
}

std::string countdownPostponeCaption(int minutes)
{
    return "&Postpone " + std::to_string(minutes) + " min";
}

bool CountdownPresenter::stillCounting() const
{
    // Once the request has gone out there is nothing left to cancel.
    return m_view &&
           (m_countdown.state() == Countdown::State::Counting || m_countdown.state() == Countdown::State::Due);
}

void CountdownPresenter::tellEnded(HistoryOutcome outcome, const std::string& detail)
{
    if (m_hooks.ended)
        m_hooks.ended(m_countdown.kind(), outcome, detail);
}

void CountdownPresenter::closeView()
{
    if (CountdownView* view = std::exchange(m_view, nullptr)) {
        view->stopTicking();
        view->closeWindow();
    }
}

} // namespace quelvo
