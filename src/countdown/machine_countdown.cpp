#include "countdown/machine_countdown.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace quelvo {

MachineCountdownPresenter::MachineCountdownPresenter(MachineCountdownHooks hooks, CountdownViewFactory makeView)
    : m_hooks(std::move(hooks)), m_makeView(std::move(makeView))
{}

MachineCountdownPresenter::~MachineCountdownPresenter()
{
    // The program ends; the service's countdown goes on without a window.
    closeView();
}

void MachineCountdownPresenter::start(bool reboot, int seconds)
{
    closeView();
    const CountdownKind kind = reboot ? CountdownKind::Reboot : CountdownKind::Shutdown;
    m_countdown = Countdown(kind, {}, {});
    m_countdown.load(static_cast<std::int16_t>(std::clamp(seconds, 1, int{std::numeric_limits<std::int16_t>::max()})));
    m_waited = 0;
    m_view = m_makeView(kind, *this);
    m_view->setSecondsText(std::to_string(m_countdown.SecondsLeft()));
    m_view->setActionVisible(true);
    m_view->showNote(std::string(kMachineNote));
    m_view->showCancel(m_cancelAllowed);
    m_postponeMinutes = m_hooks.postponeMinutes && m_hooks.postpone ? m_hooks.postponeMinutes() : 0;
    m_view->showPostpone(m_postponeMinutes > 0 ? countdownPostponeCaption(m_postponeMinutes) : std::string());
    m_view->startTicking(kTickMs);
    m_view->showWindow();
}

void MachineCountdownPresenter::ended()
{
    closeView();
}

void MachineCountdownPresenter::setCancelAllowed(bool allowed)
{
    m_cancelAllowed = allowed;
    if (m_view)
        m_view->showCancel(allowed);
}

void MachineCountdownPresenter::tick()
{
    if (!m_view)
        return;
    if (m_countdown.state() != Countdown::State::Counting) {
        // The service acts at zero, not this window; a service gone quiet must not leave it standing.
        if (++m_waited >= kGraceTicks)
            closeView();
        return;
    }
    const TickStep step = m_countdown.tick();
    m_view->setSecondsText(step.secondsText);
    m_view->setActionVisible(step.actionLabelVisible);
    if (step.due && std::exchange(m_postponeMinutes, 0) > 0)
        m_view->showPostpone({}); // too late to put off
}

void MachineCountdownPresenter::cancel()
{
    if (m_view && ask(m_hooks.cancel, "Sorry, the countdown could not be cancelled: "))
        closeView();
}

void MachineCountdownPresenter::postpone()
{
    if (!m_view || m_postponeMinutes == 0 || m_countdown.state() != Countdown::State::Counting)
        return;
    if (ask(m_hooks.postpone, "Sorry, the countdown could not be postponed: "))
        closeView();
}

void MachineCountdownPresenter::closed()
{
    const bool counting = m_view && m_countdown.state() == Countdown::State::Counting;
    m_view = nullptr;
    if (counting)
        (void)ask(m_hooks.cancel, "Sorry, the countdown could not be cancelled: ");
}

bool MachineCountdownPresenter::ask(const std::function<std::string()>& request, std::string_view failure)
{
    const std::string refusal = request ? request() : std::string("nobody to ask");
    if (refusal.empty())
        return true;
    if (m_hooks.reportError)
        m_hooks.reportError(std::string(failure) + refusal);
    return false;
}

void MachineCountdownPresenter::closeView()
{
    if (CountdownView* view = std::exchange(m_view, nullptr)) {
        view->stopTicking();
        view->closeWindow();
    }
}

} // namespace quelvo
