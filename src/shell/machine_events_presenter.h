#pragma once

#include "countdown/machine_countdown.h"
#include "platform/machine_link.h"
#include "platform/notifier.h"
#include "shell/hint_presenter.h"

#include <functional>
#include <string>
#include <string_view>

namespace quelvo {

/// What the machine's events are shown with: the same windows the program warns and counts down in
/// for the user's own schedule. The program builds the real ones, tests fakes.
struct MachineEventsServices
{
    MachineLink& link;
    const Clock& clock;
    /// Asks where the desktop shows no notifications with choices.
    HintPresenter& hint;
    /// Optional: the desktop's notifications.
    Notifier* notifier = nullptr;
    CountdownViewFactory makeCountdown;
    /// An "Error!" message that does not block.
    std::function<void(const std::string& text)> showError;
    /// The minutes the machine's Postpone puts a firing off by, for the captions; unset: no Postpone.
    std::function<int()> postponeMinutes{};
    /// Whether the administrator's policy lets people cancel (and so skip) the machine's firings; the
    /// service refuses where it does not, and the windows offer neither.
    bool cancelAllowed = true;
};

/// Shows what the machine's service says of the machine's schedule to the user at this desktop, and
/// passes the user's answers back to the service, which alone decides and acts: its warning with the
/// choices to postpone or skip, and its countdown in a window of its own, beside any of the user's.
class MachineEventsPresenter final
{
public:
    explicit MachineEventsPresenter(MachineEventsServices services);
    ~MachineEventsPresenter();
    MachineEventsPresenter(const MachineEventsPresenter&) = delete;
    MachineEventsPresenter& operator=(const MachineEventsPresenter&) = delete;

    /// Starts hearing the service.
    void listen();
    /// The policy's word on cancelling changed: the warnings and countdowns from now on follow it.
    void setCancelAllowed(bool allowed);
    /// The service warns of a firing: shown as the warning of the user's own schedule is.
    void warning(const MachineWarning& warning);
    /// The service's countdown began: its window opens.
    void countdownStarted(const MachineCountdown& countdown);
    /// The service's countdown ended (`outcome` as the history names it): its window goes.
    void countdownEnded(std::string_view outcome, std::string_view who);

    [[nodiscard]] MachineCountdownPresenter& countdown() { return m_countdown; }

private:
    /// The user's answer to the warning of the firing at `at`.
    void warningChosen(WallTime at, std::string_view key);
    /// Takes the notification away when it still shows the machine's warning.
    void withdrawWarning();

    MachineEventsServices m_services;
    MachineCountdownPresenter m_countdown;
    bool m_notified = false; // the desktop's notification shows the machine's warning
};

} // namespace quelvo
