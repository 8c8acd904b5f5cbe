#include "ui/win32/countdown_window.h"

#include "countdown/countdown_design.h"
#include "platform/windows/wide_text.h"
#include "ui/win32/message_box.h"
#include "ui/win32/pictures.h"
#include "ui/win32/window_helpers.h"

#include <utility>

namespace quelvo::win32 {

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr int kCancelId = 2;
constexpr int kPostponeId = 3;

/// `frm_shutdown` / `frm_reboot`: the program's picture at the top, the blinking action label,
/// the seconds and the cancel picture, one under the other; Postpone beside the cancel picture.
class CountdownWindow final : public CountdownView
{
public:
    CountdownWindow(HINSTANCE instance, CountdownKind kind, CountdownControls& presenter);
    ~CountdownWindow() override;
    CountdownWindow(const CountdownWindow&) = delete;
    CountdownWindow& operator=(const CountdownWindow&) = delete;

    void showWindow() override { ::ShowWindow(m_window, SW_SHOWNOACTIVATE); }
    void closeWindow() override;
    void setSecondsText(const std::string& text) override { ::SetWindowTextW(m_seconds, toWide(text).c_str()); }
    void setActionVisible(bool visible) override { ::ShowWindow(m_action, visible ? SW_SHOWNA : SW_HIDE); }
    void startTicking(int ms) override { ::SetTimer(m_window, kTickTimer, static_cast<UINT>(ms), nullptr); }
    void stopTicking() override { ::KillTimer(m_window, kTickTimer); }
    void showError(const std::string& text) override { showErrorLater(text); }
    void showPostpone(const std::string& caption) override;
    void showNote(const std::string& text) override;
    void showCancel(bool shown) override;

private:
    friend LRESULT CALLBACK selfDeletingProcedure<CountdownWindow>(HWND, UINT, WPARAM, LPARAM);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void layOut();
    void paint();
    void drawCancel(const DRAWITEMSTRUCT& item) const;
    static void drawPostpone(const DRAWITEMSTRUCT& item);

    CountdownControls* m_presenter; // null once the presenter let the window go
    HWND m_window = nullptr;
    HWND m_action = nullptr;
    HWND m_seconds = nullptr;
    HWND m_cancel = nullptr;
    HWND m_postpone = nullptr;
    HWND m_note = nullptr;
    bool m_postponeShown = false;
    bool m_cancelShown = true;
    bool m_noteShown = false;
    HFONT m_actionFont = arialFont(kActionPoints, true);
    HFONT m_secondsFont = arialFont(kSecondsPoints, true);
    RECT m_picture{};
};

CountdownWindow::CountdownWindow(HINSTANCE instance, CountdownKind kind, CountdownControls& presenter)
    : m_presenter(&presenter)
{
    const CountdownDesign& design = countdownDesign(kind);
    const wchar_t* name = registerClass(instance, L"QuelvoCountdown", selfDeletingProcedure<CountdownWindow>,
                                        ::GetSysColorBrush(COLOR_BTNFACE));
    const int width = twips(design.widthTwips);
    const int height = twips(design.heightTwips);
    const RECT area = workArea();
    // Above every window, never taking the focus from what the user is doing, not in the task bar.
    m_window =
        ::CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, name, toWide(design.title).c_str(),
                          WS_POPUP | WS_CAPTION | WS_SYSMENU, (area.left + area.right - width) / 2,
                          (area.top + area.bottom - height) / 2, width, height, nullptr, nullptr, instance, this);
    m_action = ::CreateWindowExW(0, L"STATIC", toWide(design.actionText).c_str(),
                                 WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, 0, 0, 0, 0, m_window, nullptr,
                                 instance, nullptr);
    m_seconds = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, 0, 0, 0, 0,
                                  m_window, nullptr, instance, nullptr);
    // A picture used as a button; its text is what a screen reader says.
    m_cancel = ::CreateWindowExW(0, L"STATIC", toWide(kCancelName).c_str(),
                                 WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | SS_NOTIFY, 0, 0, 0, 0, m_window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kCancelId)), instance, nullptr);
    // Drawn as a button by the window: a real one would take the focus when clicked.
    m_postpone = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_OWNERDRAW | SS_NOTIFY, 0, 0, 0, 0, m_window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPostponeId)), instance, nullptr);
    ::SendMessageW(m_postpone, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    // Whose countdown it is, where it is not the user's own; hidden until told.
    m_note = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_CENTER | SS_CENTERIMAGE, 0, 0, 0, 0, m_window, nullptr,
                               instance, nullptr);
    ::SendMessageW(m_note, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    ::SendMessageW(m_action, WM_SETFONT, reinterpret_cast<WPARAM>(m_actionFont), FALSE);
    ::SendMessageW(m_seconds, WM_SETFONT, reinterpret_cast<WPARAM>(m_secondsFont), FALSE);
    addTip(m_window, m_cancel, kCancelTip);
    layOut();
}

CountdownWindow::~CountdownWindow()
{
    ::DeleteObject(m_actionFont);
    ::DeleteObject(m_secondsFont);
}

void CountdownWindow::closeWindow()
{
    // Gone from sight at once; destroyed from the message loop, after whatever click or tick
    // led here has returned.
    m_presenter = nullptr;
    ::KillTimer(m_window, kTickTimer);
    ::ShowWindow(m_window, SW_HIDE);
    ::PostMessageW(m_window, WM_CLOSE, 0, 0);
}

void CountdownWindow::layOut()
{
    RECT client{};
    ::GetClientRect(m_window, &client);
    const int margin = scaled(9);
    const int gap = scaled(6);
    const int side = scaled(kCountdownIconSideAt96);
    const int actionHeight = scaled(44);
    const int cancelWidth = scaled(kCancelWidthAt96);
    const int cancelHeight = scaled(kCancelHeightAt96);
    m_picture = {(client.right - side) / 2, margin, (client.right + side) / 2, margin + side};
    const int actionTop = m_picture.bottom + gap;
    ::MoveWindow(m_action, margin, actionTop, client.right - 2 * margin, actionHeight, FALSE);
    const int cancelTop = client.bottom - margin - cancelHeight;
    const int postponeWidth = scaled(kPostponeWidthAt96);
    const int beside = scaled(kPostponeGapAt96);
    // The cancel picture alone, or with Postpone beside it, or Postpone alone, centred.
    const int cancelShare = m_cancelShown ? cancelWidth + (m_postponeShown ? beside : 0) : 0;
    const int cancelLeft = (client.right - cancelShare - (m_postponeShown ? postponeWidth : 0)) / 2;
    ::MoveWindow(m_cancel, cancelLeft, cancelTop, cancelWidth, cancelHeight, FALSE);
    ::MoveWindow(m_postpone, cancelLeft + cancelShare, cancelTop, postponeWidth, cancelHeight, FALSE);
    // The note, when shown, stands between the seconds and the cancel picture.
    const int noteHeight = m_noteShown ? scaled(18) : 0;
    const int noteTop = cancelTop - gap - noteHeight;
    ::MoveWindow(m_note, margin, noteTop, client.right - 2 * margin, noteHeight, FALSE);
    const int secondsTop = actionTop + actionHeight + gap;
    const int secondsBottom = m_noteShown ? noteTop : cancelTop - gap;
    ::MoveWindow(m_seconds, margin, secondsTop, client.right - 2 * margin, secondsBottom - secondsTop, FALSE);
}

void CountdownWindow::paint()
{
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(m_window, &paint);
    const int side = m_picture.right - m_picture.left;
    ::DrawIconEx(dc, m_picture.left, m_picture.top, loadPicture(Picture::Program, side, side), side, side, 0, nullptr,
                 DI_NORMAL);
    ::EndPaint(m_window, &paint);
}

void CountdownWindow::drawCancel(const DRAWITEMSTRUCT& item) const
{
    const int width = item.rcItem.right - item.rcItem.left;
    const int height = item.rcItem.bottom - item.rcItem.top;
    ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
    ::DrawIconEx(item.hDC, item.rcItem.left, item.rcItem.top, loadPicture(Picture::Cancel, width, height), width,
                 height, 0, nullptr, DI_NORMAL);
}

void CountdownWindow::drawPostpone(const DRAWITEMSTRUCT& item)
{
    RECT face = item.rcItem;
    ::DrawFrameControl(item.hDC, &face, DFC_BUTTON, DFCS_BUTTONPUSH);
    wchar_t caption[64] = {};
    ::GetWindowTextW(item.hwndItem, caption, 64);
    const HGDIOBJ old =
        ::SelectObject(item.hDC, reinterpret_cast<HGDIOBJ>(::SendMessageW(item.hwndItem, WM_GETFONT, 0, 0)));
    ::SetBkMode(item.hDC, TRANSPARENT);
    ::SetTextColor(item.hDC, ::GetSysColor(COLOR_BTNTEXT));
    ::DrawTextW(item.hDC, caption, -1, &face, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    ::SelectObject(item.hDC, old);
}

void CountdownWindow::showPostpone(const std::string& caption)
{
    m_postponeShown = !caption.empty();
    ::SetWindowTextW(m_postpone, toWide(caption).c_str());
    ::ShowWindow(m_postpone, m_postponeShown ? SW_SHOWNA : SW_HIDE);
    layOut();
    ::InvalidateRect(m_window, nullptr, TRUE);
}

void CountdownWindow::showNote(const std::string& text)
{
    m_noteShown = !text.empty();
    ::SetWindowTextW(m_note, toWide(text).c_str());
    ::ShowWindow(m_note, m_noteShown ? SW_SHOWNA : SW_HIDE);
    layOut();
    ::InvalidateRect(m_window, nullptr, TRUE);
}

void CountdownWindow::showCancel(bool shown)
{
    m_cancelShown = shown;
    ::ShowWindow(m_cancel, shown ? SW_SHOWNA : SW_HIDE);
    layOut();
    ::InvalidateRect(m_window, nullptr, TRUE);
}

LRESULT CountdownWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        if (wParam == kTickTimer && m_presenter)
            m_presenter->tick();
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == STN_CLICKED && m_presenter) {
            if (LOWORD(wParam) == kCancelId)
                m_presenter->cancel();
            else if (LOWORD(wParam) == kPostponeId)
                m_presenter->postpone();
        }
        return 0;
    case WM_CLOSE:
        // Closed by the user or the system rather than by the presenter: tell it.
        ::KillTimer(m_window, kTickTimer);
        if (CountdownControls* presenter = std::exchange(m_presenter, nullptr))
            presenter->closed();
        ::DestroyWindow(m_window);
        return 0;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_PAINT:
        paint();
        return 0;
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item.CtlID == kPostponeId)
            drawPostpone(item);
        else
            drawCancel(item);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, reinterpret_cast<HWND>(lParam) == m_action
                               ? RGB(kActionColour.red, kActionColour.green, kActionColour.blue)
                               : ::GetSysColor(COLOR_BTNTEXT));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    default:
        return ::DefWindowProcW(m_window, message, wParam, lParam);
    }
}

} // namespace

CountdownView* makeCountdownWindow(HINSTANCE instance, CountdownKind kind, CountdownControls& presenter)
{
    return new CountdownWindow(instance, kind, presenter);
}

} // namespace quelvo::win32
