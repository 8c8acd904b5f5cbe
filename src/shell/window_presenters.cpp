// The timing of the splash and the hint.
#include "shell/hint_presenter.h"
#include "shell/splash_presenter.h"

#include "platform/settings_keys.h"

#include <algorithm>
#include <utility>

namespace quelvo {

HintGeometry hintGeometry(const HintTextSizes& sizes, double logicalDpi, int border)
{
    const auto pixels = [logicalDpi](double twips) { return twipsToPixels(twips, logicalDpi); };
    HintGeometry g;
    const int left = pixels(kHintLabelLeftTwips);
    g.width = std::max(pixels(kHintWidthTwips), sizes.text + 2 * left);
    g.height = pixels(kHintHeightTwips);
    const int labelHeight = std::max(pixels(kHintLabelHeightTwips), sizes.line);
    const int top = std::min(pixels(kHintLabelTopTwips), std::max(0, (g.height - labelHeight) / 2));
    g.label = {left, top, g.width - 2 * left, labelHeight};
    g.iconSide = pixels(kHintIconSideAt96 * 15.0);
    g.iconLeft = left + sizes.beforeGap + (sizes.gap - g.iconSide) / 2;
    g.iconTop = (g.height - 2 * border - g.iconSide) / 2;
    return g;
}

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
