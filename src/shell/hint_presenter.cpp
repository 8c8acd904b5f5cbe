#include "shell/hint_presenter.h"

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

} // namespace quelvo
