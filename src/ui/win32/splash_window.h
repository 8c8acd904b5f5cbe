#pragma once

#include "shell/splash_presenter.h"

#include <windows.h>

#include <functional>
#include <memory>

namespace quelvo::win32 {

/// The splash `frm_load` on Windows; SplashPresenter decides when the main window opens.
class SplashWindow final : public SplashView
{
public:
    SplashWindow(HINSTANCE instance, const Settings& settings, std::function<void()> openMainWindow);
    ~SplashWindow() override;
    SplashWindow(const SplashWindow&) = delete;
    SplashWindow& operator=(const SplashWindow&) = delete;

    /// Shows the splash; its first tick comes half a second later.
    void show();
    /// Closes the splash (the main window's start-up does); later calls do nothing.
    void close();
    [[nodiscard]] const SplashPresenter& presenter() const;

    // SplashView
    void startTicking(int ms) override;
    void stopTicking() override;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace quelvo::win32
