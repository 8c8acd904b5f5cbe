#pragma once

#include "countdown/countdown_presenter.h"

#include <functional>
#include <string>
#include <string_view>

namespace quelvo {

/// The line a countdown of the machine's schedule shows under its count.
inline constexpr std::string_view kMachineNote = "Scheduled for this PC";

/// What the machine's countdown window asks of the service that carries the action out.
struct MachineCountdownHooks
{
    /// Each asks the service; an empty text when it did it, else why not.
    std::function<std::string()> cancel{};
    std::function<std::string()> postpone{};
    /// The minutes the service puts the action off by, for the Postpone button; unset: no Postpone.
    std::function<int()> postponeMinutes{};
    /// An "Error!" message that does not block: why the service refused.
    std::function<void(const std::string& text)> reportError{};
};

/// The countdown window of a firing of the machine's schedule, apart from the user's own windows: it
/// follows the service's count with kMachineNote under it and passes a cancel or a Postpone on to the
/// service, but never acts itself. At zero it waits for the service to say that the countdown ended,
/// and goes by itself kGraceTicks seconds later when nothing is heard.
class MachineCountdownPresenter final : public CountdownControls
{
public:
    MachineCountdownPresenter(MachineCountdownHooks hooks, CountdownViewFactory makeView);
    ~MachineCountdownPresenter() override;
    MachineCountdownPresenter(const MachineCountdownPresenter&) = delete;
    MachineCountdownPresenter& operator=(const MachineCountdownPresenter&) = delete;

    /// The service began counting `seconds` before a shutdown or a restart: the window of that kind
    /// opens at that count (one still open for an earlier count goes first).
    void start(bool reboot, int seconds);
    /// The service's countdown ended, whatever ended it (fired, cancelled elsewhere, ...): the window goes.
    void ended();
    /// Whether the service lets people cancel its countdowns: where it does not, the windows show no
    /// cancel picture, from the one open now on.
    void setCancelAllowed(bool allowed);

    /// One second: the count goes down; at zero the window waits for the service's word.
    void tick() override;
    /// Asks the service to cancel: the window goes when it did, and stays, counting, when it refused.
    void cancel() override;
    /// Asks the service to put the action off, while the window counts and shows the button.
    void postpone() override;
    /// Closing a counting window asks the service to cancel, as the cancel picture does.
    void closed() override;

    [[nodiscard]] bool isOpen() const { return m_view != nullptr; }

    static constexpr int kTickMs = 1000;
    static constexpr int kGraceTicks = 5;

private:
    /// True when the service did it; otherwise says why not.
    bool ask(const std::function<std::string()>& request, std::string_view failure);
    void closeView();

    MachineCountdownHooks m_hooks;
    CountdownViewFactory m_makeView;
    Countdown m_countdown{CountdownKind::Shutdown, {}, {}};
    CountdownView* m_view = nullptr;
    int m_postponeMinutes = 0; // 0: the window shows no Postpone
    int m_waited = 0;          // ticks at zero without a word from the service
    bool m_cancelAllowed = true;
};

} // namespace quelvo
