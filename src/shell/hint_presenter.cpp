#include "shell/hint_presenter.h"

#include "schedule/warning_planner.h"

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

HintButtonRow hintButtonRow(const HintGeometry& g, const std::vector<int>& widths, int buttonHeight, int gap)
{
    int total = gap;
    for (const int width : widths)
        total += width + gap;
    HintButtonRow row;
    row.width = std::max(g.width, total);
    row.height = g.height + buttonHeight + gap;
    int left = row.width - total + gap;
    for (const int width : widths) {
        row.buttons.push_back({left, g.height, width, buttonHeight});
        left += width + gap;
    }
    return row;
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

void HintPresenter::ask(const std::string& text, const std::vector<HintChoice>& choices, int ms, ChoiceHandler onChoice)
{
    elapsed();
    m_view = m_makeView(*this);
    m_onChoice = std::move(onChoice);
    m_view->showChoices(text, choices);
    m_view->closeAfter(ms);
}

void HintPresenter::choose(std::string_view key)
{
    ChoiceHandler handler = std::exchange(m_onChoice, nullptr);
    elapsed();
    if (handler)
        handler(key);
}

Notification warningNotification(std::string title, std::string body, int postponeMinutes, bool skip)
{
    Notification shown{std::move(title), std::move(body), {}};
    if (postponeMinutes > 0)
        shown.actions.push_back({std::string(kNotifyPostpone), postponeChoiceCaption(postponeMinutes)});
    if (skip)
        shown.actions.push_back({std::string(kNotifySkip), std::string(kSkipCaption)});
    return shown;
}

bool showWarning(Notifier* notifier, HintPresenter& hint, const Notification& shown, int hintMs,
                 const NotificationHandler& answer)
{
    if (notifier && notifier->available() && notifier->show(shown, answer))
        return true;
    hint.ask(shown.body, shown.actions, hintMs, answer);
    return false;
}

void HintPresenter::elapsed()
{
    m_onChoice = nullptr;
    if (HintView* view = std::exchange(m_view, nullptr))
        view->closeWindow();
}

} // namespace quelvo
