#pragma once

#include <QWidget>

#include <functional>

class QLabel;
class QFrame;
class QTimer;

namespace quelvo {

class Clock;
class Settings;

/// The splash `frm_load`: shown first; half a second later it waits 20 seconds when
/// the user asked for a start-up delay (`pause`), then opens the main window once.
/// The main window's start-up closes it; it deletes itself on closing.
class SplashWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SplashWindow)

public:
    SplashWindow(Settings& settings, const Clock& clock, std::function<void()> openMainWindow,
                 QWidget* parent = nullptr);

    /// True once the first tick's work has started; it never runs again.
    [[nodiscard]] bool started() const { return m_started; }

    static constexpr int kFirstTickMs = 500;
    static constexpr int kStartupDelaySeconds = 20;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void firstTick();

    Settings& m_settings;
    const Clock& m_clock;
    std::function<void()> m_openMainWindow;
    QLabel* m_label = nullptr;
    QFrame* m_shape = nullptr;
    QTimer* m_timer = nullptr;
    bool m_started = false;
    bool m_waiting = false;
};

} // namespace quelvo
