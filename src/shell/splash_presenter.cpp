#include "shell/splash_presenter.h"

#include "platform/settings_keys.h"

#include <utility>

namespace quelvo {

SplashPresenter::SplashPresenter(const Settings& settings, SplashView& view, std::function<void()> openMainWindow)
    : m_settings(settings), m_view(view), m_openMainWindow(std::move(openMainWindow))
{}

void SplashPresenter::load()
{
    m_view.startTicking(kFirstTickMs);
}

void SplashPresenter::tick()
{
    if (m_started && !m_waiting)
        return;
    m_view.stopTicking();
    if (!m_started) {
        m_started = true;
        if (readFlag(m_settings, setting::kPause, false)) {
            m_waiting = true;
            m_view.startTicking(kStartupDelayMs);
            return;
        }
    }
    m_waiting = false;
    // The hook may close (and so delete) the splash and this presenter with it.
    const auto openMainWindow = m_openMainWindow;
    if (openMainWindow)
        openMainWindow();
}

} // namespace quelvo
