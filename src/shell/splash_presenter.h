#pragma once

#include "platform/settings.h"

#include <functional>
#include <string_view>

namespace quelvo {

/// What the splash shows, the same in every face: title, `Label1` (Arial 14.25 pt) and the
/// client area in twips.
inline constexpr std::string_view kSplashTitle = "Welcome to Quelvo";
inline constexpr std::string_view kSplashText = "Please wait - Quelvo Is Loading";
inline constexpr double kSplashPoints = 14.25;
inline constexpr int kSplashWidthTwips = 5415;
inline constexpr int kSplashHeightTwips = 810;

/// The splash `frm_load` as a window system draws it.
class SplashView
{
public:
    virtual ~SplashView() = default;

    /// Calls SplashPresenter::tick every `ms` milliseconds until stopped.
    virtual void startTicking(int ms) = 0;
    virtual void stopTicking() = 0;
};

/// The splash's timing: half a second after it appears it waits 20 seconds more when the user
/// asked for a start-up delay (`pause` is "True"), then opens the main window, once.
class SplashPresenter final
{
public:
    SplashPresenter(const Settings& settings, SplashView& view, std::function<void()> openMainWindow);

    /// The splash is shown: its first tick comes in half a second.
    void load();
    /// The splash's timer.
    void tick();
    /// False while the start-up delay runs: closing the splash then would lose the main window.
    [[nodiscard]] bool mayClose() const { return !m_waiting; }
    /// True once the first tick's work has started; it never runs again.
    [[nodiscard]] bool started() const { return m_started; }

    static constexpr int kFirstTickMs = 500;
    static constexpr int kStartupDelayMs = 20000;

private:
    const Settings& m_settings;
    SplashView& m_view;
    std::function<void()> m_openMainWindow;
    bool m_started = false;
    bool m_waiting = false;
};

} // namespace quelvo
