#include "ui/win32/splash_window.h"

#include "platform/windows/wide_text.h"
#include "ui/win32/window_helpers.h"

#include <algorithm>
#include <string>
#include <utility>

namespace quelvo::win32 {

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr COLORREF kShapeColour = RGB(0x2f, 0x5f, 0xd0);
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

} // namespace

struct SplashWindow::State
{
    State(SplashWindow& view, const Settings& settings, std::function<void()> openMainWindow)
        : presenter(settings, view, std::move(openMainWindow))
    {}
    ~State() { ::DeleteObject(font); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void paint() const;

    SplashPresenter presenter;
    HWND window = nullptr;
    HFONT font = arialFont(kSplashPoints, false);
    RECT shape{}; // Shape1, a decorative frame inside the border
};

SplashWindow::SplashWindow(HINSTANCE instance, const Settings& settings, std::function<void()> openMainWindow)
    : m_state(std::make_unique<State>(*this, settings, std::move(openMainWindow)))
{
    const wchar_t* name = registerClass(instance, L"QuelvoSplash", State::procedure, ::GetSysColorBrush(COLOR_BTNFACE));
    const std::wstring text = toWide(kSplashText);

    HDC screen = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(screen, m_state->font);
    SIZE textSize{};
    ::GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &textSize);
    ::SelectObject(screen, old);
    ::ReleaseDC(nullptr, screen);

    // The client area of the design, wider when this system's font would clip the text.
    const int height = twips(kSplashHeightTwips);
    const int inset = height / 9;
    const int width = std::max<int>(twips(kSplashWidthTwips), textSize.cx + 2 * inset + scaled(8));
    RECT outer{0, 0, width, height};
    ::AdjustWindowRectEx(&outer, kStyle, FALSE, 0);
    const RECT area = workArea();
    const int outerWidth = outer.right - outer.left;
    const int outerHeight = outer.bottom - outer.top;
    m_state->window = ::CreateWindowExW(
        0, name, toWide(kSplashTitle).c_str(), kStyle, (area.left + area.right - outerWidth) / 2,
        (area.top + area.bottom - outerHeight) / 2, outerWidth, outerHeight, nullptr, nullptr, instance, m_state.get());
    m_state->shape = {inset, inset, width - inset, height - inset};
    const int pen = scaled(2);
    HWND label = ::CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE,
                                   inset + pen, inset + pen, width - 2 * (inset + pen), height - 2 * (inset + pen),
                                   m_state->window, nullptr, instance, nullptr);
    ::SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(m_state->font), FALSE);
}

SplashWindow::~SplashWindow()
{
    close();
}

void SplashWindow::show()
{
    if (!m_state->window)
        return;
    ::ShowWindow(m_state->window, SW_SHOWNORMAL);
    ::UpdateWindow(m_state->window);
    m_state->presenter.load();
}

void SplashWindow::close()
{
    if (HWND window = std::exchange(m_state->window, nullptr))
        ::DestroyWindow(window);
}

const SplashPresenter& SplashWindow::presenter() const
{
    return m_state->presenter;
}

void SplashWindow::startTicking(int ms)
{
    ::SetTimer(m_state->window, kTickTimer, static_cast<UINT>(ms), nullptr);
}

void SplashWindow::stopTicking()
{
    ::KillTimer(m_state->window, kTickTimer);
}

void SplashWindow::State::paint() const
{
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(window, &paint);
    HPEN pen = ::CreatePen(PS_SOLID, scaled(2), kShapeColour);
    HGDIOBJ oldPen = ::SelectObject(dc, pen);
    HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
    const int round = scaled(12);
    ::RoundRect(dc, shape.left, shape.top, shape.right, shape.bottom, round, round);
    ::SelectObject(dc, oldBrush);
    ::SelectObject(dc, oldPen);
    ::DeleteObject(pen);
    ::EndPaint(window, &paint);
}

LRESULT CALLBACK SplashWindow::State::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* state = windowObject<State>(window, message, lParam);
    if (state && message == WM_NCCREATE)
        state->window = window;
    if (!state || message == WM_NCCREATE)
        return ::DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_TIMER:
        // The tick may open the main window, which closes (and may delete) the splash.
        if (wParam == kTickTimer)
            state->presenter.tick();
        return 0;
    case WM_CLOSE:
        // The splash goes when the main window has opened; until then it stays, or the
        // program would run on without a window.
        return 0;
    case WM_PAINT:
        state->paint();
        return 0;
    case WM_NCDESTROY:
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        state->window = nullptr;
        return ::DefWindowProcW(window, message, wParam, lParam);
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace quelvo::win32
