// The timing of the splash and the hint.
#include "shell/hint_presenter.h"
#include "shell/splash_presenter.h"

#include <utility>

namespace quelvo {

void HintPresenter::open()
{
    if (m_view)
        return;
    m_view = m_makeView(*this);
    m_view->closeAfter(kLifetimeMs);
}

void HintPresenter::confirm(const std::string& text)
{
    open();
    m_view->showConfirmation(text);
}

void HintPresenter::elapsed()
{
    if (HintView* view = std::exchange(m_view, nullptr))
        view->closeWindow();
}

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
        if (m_settings.get("pause", "False") == "True") {
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
