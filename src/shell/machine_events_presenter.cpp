#include "shell/machine_events_presenter.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace quelvo {

MachineEventsPresenter::MachineEventsPresenter(MachineEventsServices services)
    : m_services(std::move(services)), m_countdown({.cancel = [this] { return m_services.link.cancel(); },
                                                    .postpone = [this] { return m_services.link.postpone(); },
                                                    .postponeMinutes = m_services.postponeMinutes,
                                                    .reportError = m_services.showError},
                                                   m_services.makeCountdown)
{
    m_countdown.setCancelAllowed(m_services.cancelAllowed);
}

MachineEventsPresenter::~MachineEventsPresenter()
{
    // The link may outlive this presenter: nothing it hears from now on may reach it.
    m_services.link.listen({});
    withdrawWarning();
}

void MachineEventsPresenter::listen()
{
    m_services.link.listen(
        {.warning = [this](const MachineWarning& w) { warning(w); },
         .countdownStarted = [this](const MachineCountdown& c) { countdownStarted(c); },
         .countdownEnded = [this](std::string_view outcome, std::string_view who) { countdownEnded(outcome, who); }});
}

void MachineEventsPresenter::setCancelAllowed(bool allowed)
{
    // Told at every tick of the main window; an open countdown is redrawn only for a change.
    if (m_services.cancelAllowed == allowed)
        return;
    m_services.cancelAllowed = allowed;
    m_countdown.setCancelAllowed(allowed);
}

void MachineEventsPresenter::warning(const MachineWarning& warning)
{
    const auto answer = [this, at = warning.at](std::string_view key) { warningChosen(at, key); };
    // The question stays until the firing, and a warning heard late still stays long enough to be read.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(warning.at - m_services.clock.wallNow()).count();
    m_notified = showWarning(m_services.notifier, m_services.hint,
                             warningNotification(warning.title, warning.body,
                                                 m_services.postponeMinutes ? m_services.postponeMinutes() : 0,
                                                 m_services.cancelAllowed),
                             static_cast<int>(std::max<long long>(left, HintPresenter::kLifetimeMs)), answer);
}

void MachineEventsPresenter::warningChosen(WallTime at, std::string_view key)
{
    m_notified = false;
    // Once the firing's time has come its countdown runs, and that window takes the answers.
    if (m_services.clock.wallNow() >= at)
        return;
    std::string refusal;
    std::string_view failure;
    if (key == kNotifyPostpone) {
        refusal = m_services.link.postpone();
        failure = "Sorry, the event could not be postponed: ";
    } else if (key == kNotifySkip) {
        refusal = m_services.link.skip();
        failure = "Sorry, the event could not be skipped: ";
    }
    if (!refusal.empty() && m_services.showError)
        m_services.showError(std::string(failure) + refusal);
}

void MachineEventsPresenter::withdrawWarning()
{
    if (std::exchange(m_notified, false) && m_services.notifier)
        m_services.notifier->close();
}

void MachineEventsPresenter::countdownStarted(const MachineCountdown& countdown)
{
    // Its firing has come: the warning's choices would come too late.
    withdrawWarning();
    m_countdown.start(countdown.reboot, countdown.seconds);
}

void MachineEventsPresenter::countdownEnded(std::string_view /*outcome*/, std::string_view /*who*/)
{
    m_countdown.ended();
}

} // namespace quelvo
