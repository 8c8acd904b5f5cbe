#pragma once

#include "countdown/countdown.h"
#include "schedule/history.h"

#include <functional>
#include <memory>
#include <string>

namespace quelvo {

/// A countdown window as a window system draws it.
class CountdownView
{
public:
    virtual ~CountdownView() = default;

    /// Brings the window into sight (on top, without taking the focus).
    virtual void showWindow() = 0;
    /// The window goes; it may finish deleting itself later but never calls back again.
    virtual void closeWindow() = 0;
    virtual void setSecondsText(const std::string& text) = 0;
    /// The blinking SHUT DOWN / RE BOOT label.
    virtual void setActionVisible(bool visible) = 0;
    /// Starts the repeating tick of `ms` milliseconds; each tick calls CountdownPresenter::tick.
    virtual void startTicking(int ms) = 0;
    virtual void stopTicking() = 0;
    /// A message with the title "Error!" that does not block the caller.
    virtual void showError(const std::string& text) = 0;
    /// The button beside the cancel picture that puts the action off, with this caption; hidden when empty.
    virtual void showPostpone(const std::string& caption) = 0;
    /// A line under the count that says whose countdown it is; hidden when empty.
    virtual void showNote(const std::string& text) = 0;
    /// The cancel picture, shown unless the countdown may not be cancelled.
    virtual void showCancel(bool shown) = 0;
};

/// What a countdown window passes on: its timer's ticks and what the user did.
class CountdownControls
{
public:
    virtual ~CountdownControls() = default;

    /// One tick of the window's timer.
    virtual void tick() = 0;
    /// A click on the cancel picture.
    virtual void cancel() = 0;
    /// A press of the Postpone button.
    virtual void postpone() = 0;
    /// The window was closed from outside (by the window manager).
    virtual void closed() = 0;
};

/// Builds the window of a kind; the window calls back its controls.
using CountdownViewFactory = std::function<CountdownView*(CountdownKind, CountdownControls&)>;

/// What a countdown needs from the rest of the program.
struct CountdownHooks
{
    /// "Forced shut down" at the moment the count reaches zero.
    Countdown::ForcedQuery forcedAtZero;
    /// Carries out the request: DoShutdown / DoForcedShutdown / DoReboot.
    Countdown::Action act;
    /// Ends the program after a successful shutdown request.
    std::function<void()> endProgram;
    /// How many minutes Postpone puts the action off, asked as the window opens; unset: no Postpone.
    std::function<int()> postponeMinutes{};
    /// Writes a one-off event of the kind's action that many minutes of real time from now.
    std::function<void(CountdownKind kind, int minutes)> postpone{};
    /// Hears how a count ended: what came of its request (the reason with a failure), or that the
    /// user stopped it. A postpone is the postpone hook's to tell. Optional.
    std::function<void(CountdownKind kind, HistoryOutcome outcome, const std::string& detail)> ended{};
};

/// The Postpone button's caption, with its access key.
[[nodiscard]] std::string countdownPostponeCaption(int minutes);

/// The last-chance window `frm_shutdown` or `frm_reboot`, whichever `kind` says: at most one is
/// open; it counts ten seconds down, then carries out its action unless the user cancels.
class CountdownPresenter final : public CountdownControls
{
public:
    using ViewFactory = CountdownViewFactory;

    CountdownPresenter(CountdownKind kind, CountdownHooks hooks, ViewFactory makeView);
    ~CountdownPresenter() override;
    CountdownPresenter(const CountdownPresenter&) = delete;
    CountdownPresenter& operator=(const CountdownPresenter&) = delete;

    /// Shows the window, loading it first when it is not open; an open one keeps its count and timer.
    void open();
    /// The tray's "now" commands: opens the window at "0", so the action follows at the next tick.
    void openAtZero();
    /// One second of the window's timer.
    void tick() override;
    /// Stops the count and closes the window, as a click on the cancel picture does.
    void cancel() override;
    /// The Postpone button: stops the count and closes the window without a request, and has the
    /// action written down again for later. Only while the window counts and shows the button.
    void postpone() override;
    /// The window was closed from outside (by the window manager): nothing more happens.
    void closed() override;

    [[nodiscard]] bool isOpen() const { return m_view != nullptr; }
    [[nodiscard]] const Countdown& countdown() const { return m_countdown; }

    static constexpr int kTickMs = 1000;

private:
    /// Stops the count and closes the window; nobody hears of it.
    void stop();
    void closeView();
    void hidePostpone();
    [[nodiscard]] bool stillCounting() const;
    void tellEnded(HistoryOutcome outcome, const std::string& detail = {});
    void companionEnded(const CompanionEnd& end);

    Countdown m_countdown;
    CountdownHooks m_hooks;
    ViewFactory m_makeView;
    CountdownView* m_view = nullptr;
    bool m_awaitingCompanion = false;
    bool m_companionUntold = false; // the companion's end is still to be told, even after a cancel
    int m_postponeMinutes = 0;      // 0: the window shows no Postpone
    std::shared_ptr<int> m_alive = std::make_shared<int>(); // a companion's late word finds it gone
};

} // namespace quelvo
