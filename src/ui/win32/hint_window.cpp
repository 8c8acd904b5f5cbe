#include "ui/win32/hint_window.h"

#include "platform/windows/wide_text.h"
#include "ui/win32/pictures.h"
#include "ui/win32/window_helpers.h"

#include <string>
#include <utility>
#include <vector>

namespace quelvo::win32 {

namespace {

constexpr UINT_PTR kCloseTimer = 1;
constexpr int kFirstChoiceId = 100;

int textWidth(HDC dc, std::wstring_view text)
{
    SIZE size{};
    ::GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

/// `frm_message`: a frameless strip in the tip colours, above all windows and without the focus.
class HintWindow final : public HintView
{
public:
    HintWindow(HINSTANCE instance, HintPresenter& presenter);
    ~HintWindow() override { ::DeleteObject(m_font); }
    HintWindow(const HintWindow&) = delete;
    HintWindow& operator=(const HintWindow&) = delete;

    void showConfirmation(const std::string& text) override;
    void showChoices(const std::string& text, const std::vector<HintChoice>& choices) override;
    void closeAfter(int ms) override { ::SetTimer(m_window, kCloseTimer, static_cast<UINT>(ms), nullptr); }
    void closeWindow() override;

private:
    friend LRESULT CALLBACK selfDeletingProcedure<HintWindow>(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    HintPresenter* m_presenter; // null once the presenter let the window go
    HWND m_window = nullptr;
    HWND m_label = nullptr;
    HWND m_image = nullptr;
    HFONT m_font = arialFont(kHintPoints, false);
    std::vector<std::string> m_choiceKeys; // by button id, from kFirstChoiceId
};

HintWindow::HintWindow(HINSTANCE instance, HintPresenter& presenter) : m_presenter(&presenter)
{
    const wchar_t* name =
        registerClass(instance, L"QuelvoHint", selfDeletingProcedure<HintWindow>, ::GetSysColorBrush(COLOR_INFOBK));
    const std::wstring text = toWide(kHintDefaultText);

    HDC screen = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(screen, m_font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(screen, &metrics);
    const HintGeometry g = hintGeometry({textWidth(screen, text), textWidth(screen, toWide(kHintTextBeforeGap) + L' '),
                                         textWidth(screen, std::wstring(kHintGapBlanks - 1, L' ')), metrics.tmHeight},
                                        systemDpi(), ::GetSystemMetrics(SM_CYBORDER));
    ::SelectObject(screen, old);
    ::ReleaseDC(nullptr, screen);

    const RECT area = workArea();
    m_window = ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, name, L"frm_message",
                                 WS_POPUP | WS_BORDER, area.left, area.top, g.width, g.height, nullptr, nullptr,
                                 instance, this);
    // The label does not paint over the picture that stands in its gap.
    m_label = ::CreateWindowExW(
        0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX,
        g.label.left, g.label.top, g.label.width, g.label.height, m_window, nullptr, instance, nullptr);
    ::SendMessageW(m_label, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    m_image = ::CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_ICON | SS_REALSIZECONTROL, g.iconLeft,
                                g.iconTop, g.iconSide, g.iconSide, m_window, nullptr, instance, nullptr);
    ::SendMessageW(m_image, STM_SETIMAGE, IMAGE_ICON,
                   reinterpret_cast<LPARAM>(loadPicture(Picture::Program, g.iconSide, g.iconSide)));
    ::SetWindowPos(m_image, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::ShowWindow(m_window, SW_SHOWNOACTIVATE);
}

void HintWindow::showConfirmation(const std::string& text)
{
    ::ShowWindow(m_image, SW_HIDE);
    const LONG_PTR style = ::GetWindowLongPtrW(m_label, GWL_STYLE);
    ::SetWindowLongPtrW(m_label, GWL_STYLE, (style & ~LONG_PTR{SS_TYPEMASK}) | SS_CENTER);
    ::SetWindowTextW(m_label, toWide(text).c_str());
    ::InvalidateRect(m_label, nullptr, TRUE);
}

void HintWindow::showChoices(const std::string& text, const std::vector<HintChoice>& choices)
{
    showConfirmation(text);
    HDC dc = ::GetDC(m_window);
    HGDIOBJ old = ::SelectObject(dc, m_font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    const int gap = twipsToPixels(kHintButtonGapTwips, systemDpi());
    std::vector<int> widths;
    for (const HintChoice& choice : choices)
        widths.push_back(textWidth(dc, toWide(choice.caption)) + 4 * gap);
    ::SelectObject(dc, old);
    ::ReleaseDC(m_window, dc);

    RECT outer{};
    ::GetWindowRect(m_window, &outer);
    HintGeometry g;
    g.width = outer.right - outer.left;
    g.height = outer.bottom - outer.top;
    const HintButtonRow row = hintButtonRow(g, widths, metrics.tmHeight + gap, gap);
    ::SetWindowPos(m_window, nullptr, 0, 0, row.width, row.height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const int border = ::GetSystemMetrics(SM_CXBORDER);
    const HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(m_window, GWLP_HINSTANCE));
    for (std::size_t i = 0; i < choices.size(); ++i) {
        const PixelRect& r = row.buttons[i];
        HWND button =
            ::CreateWindowExW(0, L"BUTTON", toWide(choices[i].caption).c_str(), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                              r.left - border, r.top - border, r.width, r.height, m_window,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstChoiceId + i)), instance, nullptr);
        ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
        m_choiceKeys.push_back(choices[i].key);
    }
}

void HintWindow::closeWindow()
{
    // Destroyed from the message loop, after the call that led here has returned.
    m_presenter = nullptr;
    ::KillTimer(m_window, kCloseTimer);
    ::ShowWindow(m_window, SW_HIDE);
    ::PostMessageW(m_window, WM_CLOSE, 0, 0);
}

LRESULT HintWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (wParam == kCloseTimer) {
            ::KillTimer(m_window, kCloseTimer);
            if (m_presenter)
                m_presenter->elapsed();
        }
        return 0;
    case WM_CLOSE:
        if (HintPresenter* presenter = std::exchange(m_presenter, nullptr))
            presenter->closed();
        ::DestroyWindow(m_window);
        return 0;
    case WM_COMMAND: {
        const auto index = static_cast<std::size_t>(LOWORD(wParam) - kFirstChoiceId);
        if (HIWORD(wParam) == BN_CLICKED && index < m_choiceKeys.size() && m_presenter)
            m_presenter->choose(m_choiceKeys[index]);
        return 0;
    }
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, ::GetSysColor(COLOR_INFOTEXT));
        ::SetBkColor(dc, ::GetSysColor(COLOR_INFOBK));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_INFOBK));
    }
    default:
        return ::DefWindowProcW(m_window, message, wParam, lParam);
    }
}

} // namespace

HintView* makeHintWindow(HINSTANCE instance, HintPresenter& presenter)
{
    return new HintWindow(instance, presenter);
}

} // namespace quelvo::win32
