// The Win32 face's leaf windows through their real handles: what a user would see, and what
// reaches the presenters.
#include "ui/win32/countdown_window.h"

#include "countdown/machine_countdown.h"
#include "ui/win32/hint_window.h"
#include "ui/win32/message_box.h"
#include "ui/win32/splash_window.h"
#include "ui/win32/tray_window.h"

#include "fakes/fake_settings.h"
#include "platform/windows/wide_text.h"
#include "tray/sys_tray_model.h"
#include "tray/tray_commands.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace quelvo::win32 {
namespace {

HINSTANCE instance()
{
    return ::GetModuleHandleW(nullptr);
}

// Runs the message loop until `done` holds or `ms` have passed; true when it holds.
bool pumpUntil(const std::function<bool()>& done, int ms)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return true;
}

std::string textOf(HWND window)
{
    wchar_t text[512] = {};
    ::GetWindowTextW(window, text, 512);
    return toUtf8(text);
}

// The children of `parent`, or this thread's top-level windows when it is null.
std::vector<HWND> windowsOf(HWND parent)
{
    std::vector<HWND> found;
    const auto add = [](HWND window, LPARAM list) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
    };
    if (parent)
        ::EnumChildWindows(parent, add, reinterpret_cast<LPARAM>(&found));
    else
        ::EnumThreadWindows(::GetCurrentThreadId(), add, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND childWithText(HWND parent, const std::string& text)
{
    for (HWND child : windowsOf(parent)) {
        if (textOf(child) == text)
            return child;
    }
    return nullptr;
}

// The top-level window that shows `text` in one of its children.
HWND windowShowing(const std::string& text)
{
    for (HWND window : windowsOf(nullptr)) {
        if (childWithText(window, text))
            return window;
    }
    return nullptr;
}

bool hasExStyle(HWND window, DWORD style)
{
    return (::GetWindowLongPtrW(window, GWL_EXSTYLE) & style) == style;
}

SIZE sizeOf(HWND window)
{
    RECT frame{};
    ::GetWindowRect(window, &frame);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

// The tip that a tip control owned by `owner` shows for `tool`.
std::string tipFor(HWND owner, HWND tool)
{
    wchar_t text[256] = {};
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = owner;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = text;
    for (HWND window : windowsOf(nullptr)) {
        wchar_t name[64] = {};
        ::GetClassNameW(window, name, 64);
        if (std::wstring(name) == TOOLTIPS_CLASSW && ::GetWindow(window, GW_OWNER) == owner)
            ::SendMessageW(window, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&info));
    }
    return toUtf8(text);
}

void click(HWND window)
{
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ::SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

bool at96Dpi()
{
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
    ::ReleaseDC(nullptr, screen);
    return dpi == 96;
}

struct CountdownCase
{
    CountdownKind kind;
    const char* title;
    const char* action;
    SIZE at96;
};

class CountdownWindowTest : public ::testing::TestWithParam<CountdownCase>
{
protected:
    int m_acts = 0;
    int m_postponed = 0;
    CountdownPresenter m_presenter{
        GetParam().kind,
        {{},
         [this](CountdownKind, bool) {
             ++m_acts;
             return PowerOutcome{};
         },
         [] {},
         [] { return 15; },
         [this](CountdownKind, int) { ++m_postponed; }},
        [](CountdownKind kind, CountdownControls& p) { return makeCountdownWindow(instance(), kind, p); }};
};

TEST_P(CountdownWindowTest, FloatsCountsAndCancels)
{
    const CountdownCase& c = GetParam();
    m_presenter.open();
    HWND window = ::FindWindowW(nullptr, toWide(c.title).c_str());
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(::IsWindowVisible(window));
    // Above everything, without the focus, not in the task bar.
    EXPECT_TRUE(hasExStyle(window, WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW));
    EXPECT_FALSE(hasExStyle(window, WS_EX_APPWINDOW));
    EXPECT_NE(::GetForegroundWindow(), window);
    if (at96Dpi()) {
        EXPECT_EQ(sizeOf(window).cx, c.at96.cx);
        EXPECT_EQ(sizeOf(window).cy, c.at96.cy);
    }
    HWND action = childWithText(window, c.action);
    ASSERT_NE(action, nullptr);
    EXPECT_TRUE(::IsWindowVisible(action));
    HWND cancel = childWithText(window, "Cancel");
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(tipFor(window, cancel), "Click here to cancel");
    if (at96Dpi()) {
        EXPECT_EQ(sizeOf(cancel).cx, 127);
        EXPECT_EQ(sizeOf(cancel).cy, 29);
    }

    // The real timer counts, and the action label blinks with it.
    HWND seconds = childWithText(window, "10");
    ASSERT_NE(seconds, nullptr);
    EXPECT_TRUE(pumpUntil([&] { return textOf(seconds) == "9"; }, 3000));
    EXPECT_FALSE(::IsWindowVisible(action));

    click(cancel);
    EXPECT_FALSE(m_presenter.isOpen());
    EXPECT_TRUE(pumpUntil([&] { return !::IsWindow(window); }, 1000));

    // Closed by the user instead: the presenter hears of it, and the next opening starts at 10.
    m_presenter.open();
    window = ::FindWindowW(nullptr, toWide(c.title).c_str());
    ::SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_FALSE(m_presenter.isOpen());
    EXPECT_EQ(m_acts, 0);
}

// Postpone stands beside the cancel picture, the two centred together, and reaches the presenter; a
// window opened at "0" has none and its cancel picture stands alone in the middle, as it always did.
TEST_P(CountdownWindowTest, PostponeBesideTheCancelPicture)
{
    const auto place = [](HWND control) {
        RECT r{};
        ::GetWindowRect(control, &r);
        ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    m_presenter.open();
    HWND window = ::FindWindowW(nullptr, toWide(GetParam().title).c_str());
    HWND postpone = childWithText(window, "&Postpone 15 min");
    ASSERT_NE(postpone, nullptr);
    EXPECT_TRUE(::IsWindowVisible(postpone));
    HWND cancel = childWithText(window, "Cancel");
    RECT client{};
    ::GetClientRect(window, &client);
    const RECT left = place(cancel);
    const RECT right = place(postpone);
    EXPECT_EQ(right.top, left.top);
    EXPECT_EQ(right.bottom, left.bottom);
    EXPECT_GT(right.left, left.right);
    EXPECT_LE(std::abs(left.left - (client.right - right.right)), 1); // centred together
    click(postpone);
    EXPECT_FALSE(m_presenter.isOpen());
    EXPECT_EQ(m_postponed, 1);
    EXPECT_TRUE(pumpUntil([&] { return !::IsWindow(window); }, 1000));

    m_presenter.openAtZero();
    window = ::FindWindowW(nullptr, toWide(GetParam().title).c_str());
    EXPECT_FALSE(::IsWindowVisible(childWithText(window, "&Postpone 15 min")));
    const RECT alone = place(childWithText(window, "Cancel"));
    EXPECT_LE(std::abs(alone.left - (client.right - alone.right)), 1);
    m_presenter.cancel();
    EXPECT_EQ(m_acts, 0);
}

// The machine's countdown draws the line that says whose it is, between the seconds and the cancel picture.
TEST_P(CountdownWindowTest, MachineCountdownDrawsItsLine)
{
    MachineCountdownPresenter machine(
        {.cancel = [] { return std::string(); }},
        [](CountdownKind kind, CountdownControls& c) { return makeCountdownWindow(instance(), kind, c); });
    machine.start(GetParam().kind == CountdownKind::Reboot, 10);
    HWND window = ::FindWindowW(nullptr, toWide(GetParam().title).c_str());
    ASSERT_NE(window, nullptr);
    HWND note = childWithText(window, "Scheduled for this PC");
    ASSERT_NE(note, nullptr);
    EXPECT_TRUE(::IsWindowVisible(note));
    RECT noteRect{};
    RECT secondsRect{};
    RECT cancelRect{};
    ::GetWindowRect(note, &noteRect);
    ::GetWindowRect(childWithText(window, "10"), &secondsRect);
    ::GetWindowRect(childWithText(window, "Cancel"), &cancelRect);
    EXPECT_GE(noteRect.top, secondsRect.bottom);
    EXPECT_LE(noteRect.bottom, cancelRect.top);
    EXPECT_GT(noteRect.bottom, noteRect.top);
    machine.ended();
    EXPECT_TRUE(pumpUntil([&] { return !::IsWindow(window); }, 1000));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, CountdownWindowTest,
    ::testing::Values(CountdownCase{CountdownKind::Shutdown, "Quelvo: Shut down", "SHUT DOWN", {300, 300}},
                      CountdownCase{CountdownKind::Reboot, "Quelvo: Re boot", "RE BOOT", {298, 300}}));

// The menu as the tray window built it: captions, "-" for separators, "*" before the default,
// "~" before a greyed item.
std::string drawnMenu(HMENU menu)
{
    std::string out;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        if (i > 0)
            out += '|';
        const UINT state = ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        if ((state & MF_SEPARATOR) != 0) {
            out += '-';
            continue;
        }
        if (::GetMenuDefaultItem(menu, TRUE, 0) == static_cast<UINT>(i))
            out += '*';
        if ((state & MF_GRAYED) != 0)
            out += '~';
        wchar_t caption[128] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(i), caption, 128, MF_BYPOSITION);
        out += toUtf8(caption);
    }
    return out;
}

UINT commandOf(HMENU menu, const std::string& caption)
{
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = {};
        ::GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
        if (toUtf8(text) == caption)
            return ::GetMenuItemID(menu, i);
    }
    return 0;
}

TEST(TrayWindow, DrawsTheModelsMenuAndPassesOnWhatTheUserDid)
{
    std::vector<std::string> heard;
    TrayWindow tray(instance(), {[&](int button) { heard.push_back("down " + std::to_string(button)); },
                                 [&] { heard.emplace_back("double"); },
                                 [&](std::string_view key) { heard.push_back("chose " + std::string(key)); },
                                 {},
                                 [&] { heard.emplace_back("balloon"); }});
    SysTrayModel model(tray, kProgramIcon, kFileDescription);
    fillTrayMenu(model);
    std::vector<TrayMenuItem> items = model.items();
    for (auto& item : items) {
        if (item.caption == "&About Quelvo!")
            item.visible = false;
        if (item.caption == "&Delete an event")
            item.enabled = false;
    }
    tray.setMenu(items, model.DefaultMenuIndex());
    for (auto& item : items) {
        if (!item.enabled)
            item.caption = "~" + item.caption;
    }
    EXPECT_EQ(drawnMenu(tray.menu()), trayMenuSummary(items, model.DefaultMenuIndex()));
    // A choice arrives as the menu's command and leaves as the item's key.
    ::SendMessageW(tray.window(), WM_COMMAND, commandOf(tray.menu(), "ShutDown in 15 minutes"), 0);
    ::SendMessageW(tray.window(), WM_COMMAND, commandOf(tray.menu(), "&Exit"), 0);

    // The icon's callback carries the mouse message itself.
    struct Notification
    {
        UINT mouseMessage;
        const char* heard; // nullptr: nothing
    };
    const Notification notifications[] = {
        {WM_LBUTTONDBLCLK, "double"}, {WM_RBUTTONDBLCLK, "double"},     {WM_RBUTTONDOWN, "down 2"},
        {WM_LBUTTONDOWN, "down 1"},   {WM_LBUTTONUP, nullptr},          {WM_RBUTTONUP, nullptr},
        {WM_MOUSEMOVE, nullptr},      {kNotifyBalloonClick, "balloon"},
    };
    std::vector<std::string> expected{"chose s15", "chose exit"};
    for (const auto& n : notifications) {
        ::SendMessageW(tray.window(), kNotifyCallbackMessage, kProgramIcon, n.mouseMessage);
        if (n.heard)
            expected.emplace_back(n.heard);
    }
    EXPECT_EQ(heard, expected);
}

TEST(TrayWindow, MenuClosesWhenDismissed)
{
    int opened = 0;
    TrayWindow tray(instance(), {{}, {}, {}, [&] { ++opened; }});
    tray.setMenu({{"&Exit", "exit", true}}, 0);
    // Nobody clicks: the menu is dismissed from a timer while it runs its own loop.
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR, DWORD) { ::EndMenu(); });
    tray.popUpMenu();
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(opened, 1);
}

class HintWindowTest : public ::testing::Test
{
protected:
    static constexpr const char* kDefault =
        "Right click on the          task bar icon and select 'show main window' to alter settings";
    HintPresenter m_presenter{[](HintPresenter& p) { return makeHintWindow(instance(), p); }};
};

TEST_F(HintWindowTest, FloatsWithTheIconInItsGapThenConfirms)
{
    m_presenter.open();
    HWND hint = windowShowing(kDefault);
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(::IsWindowVisible(hint));
    EXPECT_TRUE(hasExStyle(hint, WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW));
    EXPECT_NE(::GetWindowLongPtrW(hint, GWL_STYLE) & WS_CAPTION, WS_CAPTION); // no title bar
    HWND label = childWithText(hint, kDefault);
    std::vector<HWND> visible;
    for (HWND child : windowsOf(hint)) {
        if (::IsWindowVisible(child))
            visible.push_back(child);
    }
    ASSERT_EQ(visible.size(), 2U); // the text and the icon
    HWND icon = visible[0] == label ? visible[1] : visible[0];
    RECT iconRect{};
    RECT labelRect{};
    ::GetWindowRect(icon, &iconRect);
    ::GetWindowRect(label, &labelRect);
    // In the gap after "Right click on the": right of the label's start, well before its end.
    EXPECT_GT(iconRect.left, labelRect.left + (labelRect.right - labelRect.left) / 8);
    EXPECT_LT(iconRect.right, labelRect.left + (labelRect.right - labelRect.left) / 3);

    m_presenter.confirm("This computer will ShutDown in 5 minutes");
    EXPECT_EQ(textOf(label), "This computer will ShutDown in 5 minutes");
    EXPECT_FALSE(::IsWindowVisible(icon));
    EXPECT_EQ(::GetWindowLongPtrW(label, GWL_STYLE) & SS_TYPEMASK, SS_CENTER);
    m_presenter.elapsed();
    EXPECT_TRUE(pumpUntil([&] { return !::IsWindow(hint); }, 1000));
}

TEST_F(HintWindowTest, AQuestionsButtonsSitUnderTheTextAndAnswer)
{
    std::string answer;
    m_presenter.ask("Quelvo will restart this PC at 07:30 (in 5 minutes)",
                    {{"postpone", "Postpone 15 minutes"}, {"skip", "Skip this time"}}, 60000,
                    [&](std::string_view key) { answer = key; });
    HWND hint = windowShowing("Quelvo will restart this PC at 07:30 (in 5 minutes)");
    ASSERT_NE(hint, nullptr);
    HWND label = childWithText(hint, "Quelvo will restart this PC at 07:30 (in 5 minutes)");
    RECT labelRect{};
    RECT hintRect{};
    ::GetWindowRect(label, &labelRect);
    ::GetWindowRect(hint, &hintRect);
    for (const char* caption : {"Postpone 15 minutes", "Skip this time"}) {
        RECT r{};
        ::GetWindowRect(childWithText(hint, caption), &r);
        EXPECT_GE(r.top, labelRect.bottom) << caption;
        EXPECT_LE(r.bottom, hintRect.bottom) << caption;
        EXPECT_LE(r.right, hintRect.right) << caption;
    }
    ::SendMessageW(childWithText(hint, "Skip this time"), BM_CLICK, 0, 0);
    EXPECT_EQ(answer, "skip");
    EXPECT_TRUE(pumpUntil([&] { return !::IsWindow(hint); }, 1000));
}

TEST_F(HintWindowTest, ClosesAfterItsTime)
{
    m_presenter.open();
    HWND hint = windowShowing(kDefault);
    pumpUntil([] { return false; }, 1500);
    EXPECT_TRUE(::IsWindowVisible(hint));
    EXPECT_TRUE(pumpUntil([&] { return !::IsWindow(hint); }, 5000));
    EXPECT_FALSE(m_presenter.isOpen());
}

TEST(SplashWindow, ShowsItsTextAndOpensTheMainWindowOnItsTick)
{
    struct Case
    {
        const char* pause;
        bool opensSoon;
    };
    for (const Case c : {Case{"False", true}, Case{"True", false}}) {
        test::FakeSettings settings;
        EXPECT_TRUE(settings.save("pause", c.pause).ok());
        int opened = 0;
        std::unique_ptr<SplashWindow> splash;
        splash = std::make_unique<SplashWindow>(instance(), settings, [&] {
            ++opened;
            splash->close(); // as the main window's start-up does
        });
        splash->show();
        HWND window = ::FindWindowW(nullptr, L"Welcome to Quelvo");
        ASSERT_NE(window, nullptr) << c.pause;
        EXPECT_NE(childWithText(window, "Please wait - Quelvo Is Loading"), nullptr);
        if (at96Dpi()) {
            RECT client{};
            ::GetClientRect(window, &client);
            EXPECT_GE(client.right, 361);
            EXPECT_EQ(client.bottom, 54);
        }
        EXPECT_EQ(pumpUntil([&] { return opened == 1; }, 2000), c.opensSoon) << c.pause;
        EXPECT_EQ(::IsWindow(window) == FALSE, c.opensSoon) << c.pause;
        if (!c.opensSoon) {
            // Waiting: the user's close leaves it, the main window is still to come.
            EXPECT_TRUE(splash->presenter().started());
            ::SendMessageW(window, WM_CLOSE, 0, 0);
            EXPECT_TRUE(::IsWindowVisible(window));
        }
    }
}

TEST(MessageBox, ErrorLaterLeavesTheCallerGoingAndOpensFromTheLoop)
{
    static std::string seen;
    seen.clear();
    showErrorLater("Could not shut down: ünïcode");
    EXPECT_EQ(::FindWindowW(L"#32770", L"Error!"), nullptr); // not open yet: the caller goes on
    // The box runs its own loop; a thread timer reads it there and answers it.
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
        if (HWND box = ::FindWindowW(L"#32770", L"Error!")) {
            wchar_t text[128] = {};
            ::GetDlgItemTextW(box, 0xFFFF, text, 128);
            seen = toUtf8(text);
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
    });
    EXPECT_TRUE(pumpUntil([] { return !seen.empty(); }, 3000));
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(seen, "Could not shut down: ünïcode");
}

} // namespace
} // namespace quelvo::win32
