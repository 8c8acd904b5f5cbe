#include "countdown/countdown_presenter.h"

#include <utility>

namespace quelvo {

CountdownPresenter::CountdownPresenter(CountdownKind kind, CountdownHooks hooks, ViewFactory makeView)
    : m_countdown(kind, hooks.forcedAtZero, hooks.act), m_hooks(std::move(hooks)), m_makeView(std::move(makeView))
{}

CountdownPresenter::~CountdownPresenter()
{
    // The window goes with the program; its action must not follow.
    cancel();
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
        break;
    case AfterAction::EndProgram:
        closeView();
        if (m_hooks.endProgram)
            m_hooks.endProgram();
        break;
    case AfterAction::CloseAndReportError:
        // The message stands on its own: it stays after the window has gone.
        m_view->showError(fired.errorMessage);
        closeView();
        break;
    case AfterAction::Close:
        closeView();
        break;
    case AfterAction::AwaitCompanion:
        // The window rests at "0" while the companion works; the program keeps running meanwhile.
        m_awaitingCompanion = true;
        fired.companion->onEnd([this, alive = std::weak_ptr<int>(m_alive)](const CompanionEnd& end) {
            if (!alive.expired())
                companionEnded(end);
        });
        break;
    }
}

void CountdownPresenter::companionEnded(const CompanionEnd& end)
{
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
    m_awaitingCompanion = false;
    m_countdown.cancel();
    closeView();
}

void CountdownPresenter::postpone()
{
    if (!m_view || m_postponeMinutes == 0 || m_countdown.state() != Countdown::State::Counting)
        return;
    const int minutes = m_postponeMinutes;
    cancel();
    m_hooks.postpone(m_countdown.kind(), minutes);
}

void CountdownPresenter::hidePostpone()
{
    if (std::exchange(m_postponeMinutes, 0) > 0 && m_view)
        m_view->showPostpone({});
}

void CountdownPresenter::closed()
{
    m_awaitingCompanion = false;
    m_countdown.cancel();
    m_view = nullptr;
}

std::string countdownPostponeCaption(int minutes)
{
    return "&Postpone " + std::to_string(minutes) + " min";
}

void CountdownPresenter::closeView()
{
    if (CountdownView* view = std::exchange(m_view, nullptr)) {
        view->stopTicking();
        view->closeWindow();
    }
}

} // namespace quelvo
