#pragma once

#include "shell/splash_presenter.h"

#include <QTimer>
#include <QWidget>

#include <functional>

namespace quelvo {

/// The splash `frm_load` in Qt; SplashPresenter decides when the main window opens. The main
/// window's start-up closes it; it deletes itself on closing.
class SplashWindow final : public QWidget, public SplashView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SplashWindow)

public:
    SplashWindow(const Settings& settings, std::function<void()> openMainWindow, QWidget* parent = nullptr);

    [[nodiscard]] const SplashPresenter& presenter() const { return m_presenter; }

    // SplashView
    void startTicking(int ms) override { m_timer->start(ms); }
    void stopTicking() override { m_timer->stop(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    SplashPresenter m_presenter;
    QTimer* m_timer = nullptr;
};

} // namespace quelvo
