#pragma once

#include "countdown/countdown.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QLabel;
class QTimer;

namespace quelvo {

class ClickableImage;

/// What a countdown window needs from the rest of the program.
struct CountdownHooks
{
    /// "Forced shut down" at the moment the count reaches zero.
    std::function<bool()> forcedAtZero;
    /// Carries out the request: DoShutdown / DoForcedShutdown / DoReboot.
    std::function<PowerOutcome(CountdownKind kind, bool forced)> act;
    /// Ends the program after a successful shutdown request (default: quit the application).
    std::function<void()> endProgram;
    /// Shows a non-blocking "Error!" message (default: a modeless message box).
    std::function<void(const QString& message)> showError;
};

/// The last-chance window `frm_shutdown` or `frm_reboot`: counts ten seconds down on top
/// of all windows without taking the focus, then carries out its action unless the user
/// clicks the cancel picture. Each kind exists at most once; it deletes itself on closing.
class CountdownWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CountdownWindow)

public:
    /// Shows the window of that kind, loading it first when it is not open; an open
    /// one is returned unchanged (its count, timer and hooks stay as they are).
    static CountdownWindow* open(CountdownKind kind, CountdownHooks hooks);
    /// The open window of that kind, or null.
    static CountdownWindow* find(CountdownKind kind);

    /// Cuts the count to its last second: the action follows at the next tick.
    void zerocount();
    /// Sets the seconds label, as the tray's "now" commands do before zerocount.
    void setSecondsText(const QString& text);
    /// Stops the count and closes the window, as a click on the cancel picture does.
    void cancel();

    [[nodiscard]] CountdownKind kind() const { return m_countdown.kind(); }
    [[nodiscard]] int SecondsLeft() const { return m_countdown.SecondsLeft(); }
    [[nodiscard]] Countdown::State state() const { return m_countdown.state(); }

    static constexpr int kTickMs = 1000;

private:
    CountdownWindow(CountdownKind kind, CountdownHooks hooks);
    void tick();

    Countdown m_countdown;
    CountdownHooks m_hooks;
    QLabel* m_seconds = nullptr;
    QLabel* m_action = nullptr;
    QLabel* m_image1 = nullptr;
    ClickableImage* m_cancel = nullptr;
    QTimer* m_timer = nullptr;

    static QPointer<CountdownWindow> s_open[2];
};

} // namespace quelvo
