#include "ui/win32/main_window.h"

#include "platform/windows/wide_text.h"
#include "schedule/schedule_checker.h"
#include "shell/main_window_text.h"
#include "tray/tray_commands.h"
#include "ui/win32/countdown_window.h"
#include "ui/win32/hint_window.h"
#include "ui/win32/main_window_state.h"
#include "ui/win32/message_box.h"
#include "ui/win32/pictures.h"
#include "ui/win32/window_helpers.h"

#include <commctrl.h>
#include <shellapi.h>

#include <charconv>
#include <climits>

namespace quelvo::win32 {

namespace {

constexpr const wchar_t* kMainClass = L"Quelvo.MainWindow";
constexpr const wchar_t* kPageClass = L"Quelvo.Page";
constexpr UINT_PTR kTimer1 = 1;
constexpr UINT_PTR kTabSubclass = 1;

std::wstring convert(std::string_view text, UINT codePage)
{
    if (text.empty())
        return {};
    const int size = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
    return result;
}

std::wstring windowText(HWND control)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The pointer over the window's background, the tab control and the pages: pressed, moved and
// released in screen coordinates; the surface keeps the pointer while the left button drags.
bool pointer(MainWindow::State& s, HWND surface, UINT message, LPARAM lParam)
{
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(surface, &at);
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        s.presenter->pointerPressed(message == WM_LBUTTONDOWN ? 1 : 2, at.x, at.y);
        if (message == WM_LBUTTONDOWN) {
            s.dragging = true;
            SetCapture(surface);
        }
        return true;
    case WM_MOUSEMOVE:
        s.presenter->pointerMoved(at.x, at.y);
        return true;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        s.presenter->pointerReleased();
        if (s.dragging && GetCapture() == surface) {
            s.dragging = false;
            ReleaseCapture();
        }
        return true;
    case WM_CAPTURECHANGED:
        if (s.dragging) {
            s.dragging = false;
            s.presenter->pointerReleased();
        }
        return true;
    default:
        return false;
    }
}

bool isPointerMessage(UINT message)
{
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MOUSEMOVE ||
           message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_CAPTURECHANGED;
}

// The tab control is background too, except for its tabs, which a press selects.
LRESULT CALLBACK tabProc(HWND tabs, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    auto& s = *reinterpret_cast<MainWindow::State*>(data);
    if (isPointerMessage(message) && s.presenter) {
        bool overTab = false;
        if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) {
            TCHITTESTINFO hit{{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))}, 0};
            overTab = SendMessageW(tabs, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) >= 0;
        }
        if (!overTab)
            pointer(s, tabs, message, lParam);
    }
    return DefSubclassProc(tabs, message, wParam, lParam);
}

// A page passes what its controls say on to the window, and is background for the pointer.
LRESULT CALLBACK pageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    MainWindow::State* s = windowObject<MainWindow::State>(page, message, lParam);
    if (!s || !s->window)
        return DefWindowProcW(page, message, wParam, lParam);
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_VSCROLL: // from the up-down arrows
        return SendMessageW(s->window, message, wParam, lParam);
    case WM_CTLCOLORSTATIC: {
        // The version and system lines are quieter than the texts above them.
        const auto control = reinterpret_cast<HWND>(lParam);
        const LRESULT brush = DefWindowProcW(page, message, wParam, lParam);
        if (control == s->item(kIdVersion) || control == s->item(kIdSystem))
            SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_GRAYTEXT));
        return brush;
    }
    default:
        if (isPointerMessage(message) && s->presenter && pointer(*s, page, message, lParam))
            return 0;
        return DefWindowProcW(page, message, wParam, lParam);
    }
}

void command(MainWindow::State& s, int id, int code)
{
    MainPresenter& p = *s.presenter;
    // A box of minutes counts once the user leaves it, not at each digit typed.
    if (code == EN_KILLFOCUS && id >= kIdMinutes && id < kIdMinutes + 2)
        p.minutesChanged(static_cast<MainSpin>(id - kIdMinutes));
    if (code != BN_CLICKED)
        return;
    if (id >= kIdQuickActions && id < kIdQuickActions + 8) {
        p.quickaction(static_cast<std::size_t>(id - kIdQuickActions));
        return;
    }
    if (id >= kIdHidePictures && id < kIdHidePictures + 4) {
        p.hidetotray();
        return;
    }
    switch (id) {
    case kIdSelectAll:
        p.selectalldays();
        break;
    case kIdSave:
        p.saveevent();
        break;
    case IDOK: // Return, where no focused button takes it
        p.returnPressed(static_cast<MainTab>(SendMessageW(s.tabs, TCM_GETCURSEL, 0, 0)));
        break;
    case kIdDeleteSelected:
        p.deleteevent();
        break;
    case kIdDeleteAll:
        p.deleteall();
        break;
    case kIdTwentyFour:
        p.setclockmode();
        break;
    case kIdForced:
        p.optionClicked(MainBox::Forced);
        break;
    case kIdPause:
        p.optionClicked(MainBox::Pause);
        break;
    case kIdNextTip:
        p.optionClicked(MainBox::NextTip);
        break;
    case kIdPostponeNext:
        p.postponeNext();
        break;
    case kIdSkipNext:
        p.skipNext();
        break;
    case kIdLoadWithWindows:
        p.autostartClicked();
        break;
    case kIdShutdown:
        p.actionClicked(MainBox::Shutdown);
        break;
    case kIdReboot:
        p.actionClicked(MainBox::Reboot);
        break;
    default:
        break;
    }
}

LRESULT notify(MainWindow::State& s, const NMHDR& header)
{
    if (header.hwndFrom == s.tabs && header.code == TCN_SELCHANGE) {
        s.showPage(static_cast<int>(SendMessageW(s.tabs, TCM_GETCURSEL, 0, 0)));
        return 0;
    }
    if (header.hwndFrom == s.item(kIdWelcome) && (header.code == NM_CLICK || header.code == NM_RETURN)) {
        const auto& link = reinterpret_cast<const NMLINK&>(header);
        ShellExecuteW(s.window, L"open", link.item.szUrl, nullptr, nullptr, SW_SHOWNORMAL);
    }
    return 0;
}

LRESULT CALLBACK mainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    MainWindow::State* s = windowObject<MainWindow::State>(window, message, lParam);
    if (!s || !s->presenter)
        return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_COMMAND:
        command(*s, LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY:
        return notify(*s, *reinterpret_cast<const NMHDR*>(lParam));
    case WM_VSCROLL:
        // An arrow beside a box of minutes has stepped its value.
        for (int i = 0; i < 2; ++i) {
            if (reinterpret_cast<HWND>(lParam) == s->item(kIdMinuteArrows + i) && LOWORD(wParam) == SB_THUMBPOSITION)
                s->presenter->minutesChanged(static_cast<MainSpin>(i));
        }
        return 0;
    case WM_TIMER:
        if (wParam == kTimer1) {
            // A tick in phase keeps the one-second period; resetting the timer every second would
            // cost a call into the system each time. The tick may have stopped the checker.
            const int period = s->presenter->timer1Tick();
            if (s->checkerOn && (period != kTickPeriodMs || s->timerPeriod != kTickPeriodMs)) {
                SetTimer(window, kTimer1, static_cast<UINT>(period), nullptr);
                s->timerPeriod = period;
            }
        }
        return 0;
    case WM_CLOSE:
        // The close button hides the window; only "&Exit" ends the program.
        s->presenter->hidetotray();
        return 0;
    case WM_ACTIVATE:
        // The focus comes back to the control that had it when the user went elsewhere.
        if (LOWORD(wParam) == WA_INACTIVE) {
            s->focus = GetFocus();
        } else if (s->focus && IsChild(window, s->focus) && IsWindowVisible(s->focus)) {
            SetFocus(s->focus);
            return 0;
        }
        break;
    case WM_NEXTDLGCTL: {
        // As in a dialog: a label's or a frame's access key puts the focus on it, then on the next
        // control that takes the keyboard.
        auto* next = reinterpret_cast<HWND>(wParam);
        if (LOWORD(lParam) == 0)
            next = GetNextDlgTabItem(window, GetFocus(), wParam != 0);
        if (next)
            SetFocus(next);
        return 0;
    }
    case WM_SETCURSOR:
        if (s->busy) {
            SetCursor(LoadCursorA(nullptr, IDC_WAIT));
            return TRUE;
        }
        break;
    default:
        if (isPointerMessage(message) && pointer(*s, window, message, lParam))
            return 0;
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HFONT messageFont()
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

} // namespace

MainWindow::MainWindow(HINSTANCE instance, MainWindowServices services)
    : m_state(std::make_unique<State>(*this, instance))
{
    State& s = *m_state;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES |
                                                       ICC_WIN95_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
    auto* const ground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    registerClass(instance, kMainClass, mainProc, ground);
    registerClass(instance, kPageClass, pageProc, ground);

    s.window = CreateWindowExW(WS_EX_CONTROLPARENT, kMainClass, toWide(kMainTitle).c_str(),
                               WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                               CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr, instance, &s);
    HDC screen = GetDC(s.window);
    s.dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(s.window, screen);
    s.font = messageFont();
    SendMessageW(s.window, WM_SETFONT, reinterpret_cast<WPARAM>(s.font), FALSE);
    s.tooltips =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, s.window, nullptr, instance, nullptr);
    SendMessageW(s.tooltips, TTM_SETMAXTIPWIDTH, 0, MulDiv(400, s.dpi, 96));
    s.buildControls();
    SetWindowSubclass(s.tabs, tabProc, kTabSubclass, reinterpret_cast<DWORD_PTR>(&s));
    s.showPage(0);

    TrayEvents events;
    State* state = &s;
    events.mouseDown = [state](int button) { state->presenter->trayMouseDown(button); };
    events.doubleClick = [state] { state->presenter->trayDoubleClick(); };
    events.menuChoice = [state](std::string_view key) { state->presenter->runTrayCommand(key); };
    events.menuOpened = [state] { state->presenter->trayMenuOpened(); };
    events.balloonClicked = [state] { state->notifier->balloonClicked(); };
    s.tray = std::make_unique<TrayWindow>(instance, std::move(events));
    s.notifier = std::make_unique<DesktopNotifier>(*s.tray, kProgramIcon);
    services.notifier = s.notifier.get();
    s.presenter = std::make_unique<MainPresenter>(std::move(services), *this);
    (void)fitToContents();
}

MainWindow::~MainWindow()
{
    State& s = *m_state;
    s.presenter.reset(); // takes the tray icon and any countdown with it while their windows exist
    s.notifier.reset();
    s.tray.reset();
    if (s.tabs)
        RemoveWindowSubclass(s.tabs, tabProc, kTabSubclass);
    if (s.window)
        DestroyWindow(s.window);
    if (s.font)
        DeleteObject(s.font);
}

MainPresenter& MainWindow::presenter()
{
    return *m_state->presenter;
}

HWND MainWindow::window() const
{
    return m_state->window;
}

TrayWindow& MainWindow::trayWindow()
{
    return *m_state->tray;
}

HWND MainWindow::control(std::string_view objectName) const
{
    const auto found = m_state->named.find(objectName);
    return found == m_state->named.end() ? nullptr : found->second;
}

void MainWindow::show()
{
    ShowWindow(m_state->window, SW_SHOWNORMAL);
    SetForegroundWindow(m_state->window);
    if (!m_state->focus)
        SetFocus(m_state->tabs);
}

bool MainWindow::preTranslate(MSG& message)
{
    State& s = *m_state;
    if (message.hwnd != s.window && !IsChild(s.window, message.hwnd))
        return false;
    // Ctrl+Tab and Ctrl+Shift+Tab go round the tabs, as in dialogs with property pages.
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
        const int count = static_cast<int>(kTabCaptions.size());
        const int current = static_cast<int>(SendMessageW(s.tabs, TCM_GETCURSEL, 0, 0));
        const int step = GetKeyState(VK_SHIFT) < 0 ? count - 1 : 1;
        selectTab(static_cast<MainTab>((current + step) % count));
        return true;
    }
    return IsDialogMessageW(s.window, &message) != FALSE;
}

// ---- MainView

void MainWindow::setLabel(MainLabel label, const std::string& text)
{
    SetWindowTextW(m_state->item(label == MainLabel::Version ? kIdVersion : kIdSystem), toWide(text).c_str());
}

void MainWindow::setWelcome(const WelcomeText& welcome)
{
    State& s = *m_state;
    s.welcome = welcome.before + welcome.link + welcome.after;
    // A link control follows the link in its markup; a plain label shows the address as text.
    const std::string text =
        !s.welcomeLink ? s.welcome
                       : welcome.before + "<a href=\"" + welcome.link + "\">" + welcome.link + "</a>" + welcome.after;
    SetWindowTextW(s.item(kIdWelcome), toWide(text).c_str());
}

void MainWindow::selectTab(MainTab tab)
{
    SendMessageW(m_state->tabs, TCM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    m_state->showPage(static_cast<int>(tab));
}

namespace {

int boxId(MainBox box)
{
    const int index = static_cast<int>(box);
    if (index <= static_cast<int>(MainBox::Sunday))
        return kIdDays + index;
    const int others[] = {kIdShutdown, kIdReboot, kIdRepeat,          kIdTwentyFour,
                          kIdForced,   kIdPause,  kIdLoadWithWindows, kIdNextTip};
    return others[index - static_cast<int>(MainBox::Shutdown)];
}

} // namespace

bool MainWindow::checked(MainBox box) const
{
    return SendMessageW(m_state->item(boxId(box)), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainWindow::setChecked(MainBox box, bool on)
{
    SendMessageW(m_state->item(boxId(box)), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::string MainWindow::text(MainCombo combo) const
{
    return toUtf8(windowText(m_state->item(kIdCombos + static_cast<int>(combo))));
}

void MainWindow::setText(MainCombo combo, const std::string& text)
{
    SetWindowTextW(m_state->item(kIdCombos + static_cast<int>(combo)), toWide(text).c_str());
}

void MainWindow::fill(MainCombo combo, const std::vector<std::string>& items)
{
    HWND box = m_state->item(kIdCombos + static_cast<int>(combo));
    SendMessageW(box, CB_RESETCONTENT, 0, 0);
    for (const auto& item : items)
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(toWide(item).c_str()));
}

void MainWindow::setAmPmVisible(bool visible)
{
    for (const int id : {kIdCombos + static_cast<int>(MainCombo::AmPm), static_cast<int>(kIdAmPmLabel)})
        ShowWindow(m_state->item(id), visible ? SW_SHOWNA : SW_HIDE);
}

void MainWindow::showEvents(const std::vector<std::string>& lines, const std::vector<ListRow>& rows)
{
    State& s = *m_state;
    s.lstEvents = lines;
    HWND list = s.item(kIdList);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    int index = 0;
    for (const auto& row : rows) {
        // The schedule's lines are bytes in the system's code page, not UTF-8.
        const std::string* cells[] = {&row.columns.timeAndDate, &row.columns.action, &row.columns.repeated};
        for (int column = 0; column < 3; ++column) {
            std::wstring cell = convert(*cells[column], CP_ACP);
            LVITEMW item{};
            item.mask = LVIF_TEXT;
            item.iItem = index;
            item.iSubItem = column;
            item.pszText = cell.data();
            SendMessageW(list, column == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, static_cast<WPARAM>(index),
                         reinterpret_cast<LPARAM>(&item));
        }
        ++index;
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

std::optional<std::size_t> MainWindow::selectedRow() const
{
    const LRESULT row = SendMessageW(m_state->item(kIdList), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    if (row < 0)
        return std::nullopt;
    return static_cast<std::size_t>(row);
}

int MainWindow::value(MainSpin spin) const
{
    // The box takes digits only; a number too long for any range is the largest, an empty box the smallest.
    const std::string digits = toUtf8(windowText(m_state->item(kIdMinutes + static_cast<int>(spin))));
    int minutes = -1;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), minutes);
    return error == std::errc::result_out_of_range ? INT_MAX : minutes;
}

void MainWindow::setValue(MainSpin spin, int minutes)
{
    // The arrows write the box; its change is the program's, so nothing reaches the presenter.
    SendMessageW(m_state->item(kIdMinuteArrows + static_cast<int>(spin)), UDM_SETPOS32, 0, minutes);
}

void MainWindow::setNextText(const std::string& text)
{
    SetWindowTextW(m_state->item(kIdNextLine), toWide(text).c_str());
}

void MainWindow::setNextButtons(bool postpone, bool skip)
{
    EnableWindow(m_state->item(kIdPostponeNext), postpone);
    EnableWindow(m_state->item(kIdSkipNext), skip);
}

void MainWindow::setControlEnabled(std::string_view name, bool enabled)
{
    State& s = *m_state;
    HWND target = control(name);
    if (!target)
        return;
    EnableWindow(target, enabled);
    for (int i = 0; i < 2; ++i) {
        if (target == s.item(kIdMinutes + i))
            EnableWindow(s.item(kIdMinuteArrows + i), enabled);
    }
}

void MainWindow::setPolicyLine(const std::string& text)
{
    State& s = *m_state;
    s.policyLine = text;
    HWND line = s.item(kIdPolicyLine);
    SetWindowTextW(line, toWide(text).c_str());
    ShowWindow(line, text.empty() ? SW_HIDE : SW_SHOWNA);
    (void)fitToContents();
}

void MainWindow::showMessage(const UserMessage& message)
{
    win32::showMessage(m_state->window, message);
}

bool MainWindow::ask(const UserQuestion& question)
{
    return win32::ask(m_state->window, question);
}

void MainWindow::showError(const std::string& text)
{
    showErrorLater(text);
}

void MainWindow::setBusy(bool busy)
{
    m_state->busy = busy;
    SetCursor(LoadCursorA(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void MainWindow::restoreWindow()
{
    HWND window = m_state->window;
    ShowWindow(window, IsIconic(window) ? SW_RESTORE : SW_SHOWNORMAL);
    SetForegroundWindow(window);
    BringWindowToTop(window);
}

void MainWindow::minimiseWindow()
{
    ShowWindow(m_state->window, SW_MINIMIZE);
}

void MainWindow::hideWindow()
{
    // A hidden window has no task bar entry either.
    ShowWindow(m_state->window, SW_HIDE);
}

bool MainWindow::windowHidden() const
{
    return IsWindowVisible(m_state->window) == FALSE;
}

bool MainWindow::windowMinimised() const
{
    return IsIconic(m_state->window) != FALSE;
}

bool MainWindow::windowMaximised() const
{
    return IsZoomed(m_state->window) != FALSE;
}

PixelRect MainWindow::fitToContents()
{
    State& s = *m_state;
    const SIZE client = s.layout();
    RECT outer{0, 0, client.cx, client.cy};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrW(s.window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(s.window, GWL_EXSTYLE)));
    SetWindowPos(s.window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return frame();
}

PixelRect MainWindow::frame() const
{
    // A minimised window's own rectangle is off the screen; its place when restored counts.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    RECT r{};
    if (IsIconic(m_state->window) && GetWindowPlacement(m_state->window, &placement))
        r = placement.rcNormalPosition;
    else
        GetWindowRect(m_state->window, &r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void MainWindow::moveTo(int left, int top)
{
    SetWindowPos(m_state->window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

double MainWindow::logicalDpi() const
{
    return m_state->dpi;
}

std::vector<PixelRect> MainWindow::screens() const
{
    std::vector<PixelRect> found;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
            MONITORINFO info{};
            info.cbSize = sizeof info;
            if (GetMonitorInfoW(monitor, &info)) {
                const RECT& r = info.rcWork;
                reinterpret_cast<std::vector<PixelRect>*>(data)->push_back(
                    {r.left, r.top, r.right - r.left, r.bottom - r.top});
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

void MainWindow::startChecker(int firstTickMs)
{
    m_state->checkerOn = true;
    m_state->timerPeriod = firstTickMs;
    SetTimer(m_state->window, kTimer1, static_cast<UINT>(firstTickMs), nullptr);
}

void MainWindow::stopChecker()
{
    m_state->checkerOn = false;
    KillTimer(m_state->window, kTimer1);
}

TrayView& MainWindow::tray()
{
    return *m_state->tray;
}

CountdownView* MainWindow::makeCountdown(CountdownKind kind, CountdownControls& presenter)
{
    return makeCountdownWindow(m_state->instance, kind, presenter);
}

HintView* MainWindow::makeHint(HintPresenter& presenter)
{
    return makeHintWindow(m_state->instance, presenter);
}

} // namespace quelvo::win32
