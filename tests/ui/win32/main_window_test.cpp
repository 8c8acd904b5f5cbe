#include "fakes/fake_main_services.h"
#include "platform/windows/wide_text.h"
#include "schedule/quick_action.h"
#include "shell/main_access_keys.h"
#include "ui/win32/main_window.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace quelvo {
namespace {

std::wstring textOf(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

// Every control under `parent` that shows `caption`, in the window's order.
std::vector<HWND> withCaption(HWND parent, const std::wstring& caption)
{
    struct Search
    {
        const std::wstring& caption;
        std::vector<HWND> found;
    } search{caption, {}};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            if (textOf(child) == s.caption)
                s.found.push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring cell(HWND list, int row, int column)
{
    wchar_t text[64] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 64;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

bool shown(HWND control)
{
    return (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

// The Win32 main window over fakes.
struct Fixture : test::FakeMainServices
{
    std::unique_ptr<win32::MainWindow> window;
    std::vector<std::string> reported; // the dry run's lines

    win32::MainWindow& start()
    {
        MainWindowServices s = services(settings, "\"C:\\Q\\quelvo.exe\"");
        s.dryRunReport = [this](const std::string& line) { reported.push_back(line); };
        window = std::make_unique<win32::MainWindow>(GetModuleHandleW(nullptr), s);
        EXPECT_TRUE(window->presenter().Form_Load());
        window->show();
        return *window;
    }
    HWND only(const std::wstring& caption) const
    {
        const std::vector<HWND> found = withCaption(window->window(), caption);
        EXPECT_EQ(found.size(), 1u) << std::string(caption.begin(), caption.end());
        return found.empty() ? nullptr : found.front();
    }
};

TEST(MainWindow, ShowsTheTabsAndEveryCaption)
{
    Fixture f;
    win32::MainWindow& w = f.start();
    EXPECT_EQ(textOf(w.window()), L"Quelvo");

    HWND tabs = w.control("SSTab1");
    std::vector<std::wstring> tabCaptions;
    for (int i = 0; i < TabCtrl_GetItemCount(tabs); ++i) {
        wchar_t text[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = 64;
        SendMessageW(tabs, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        tabCaptions.emplace_back(text);
    }
    EXPECT_EQ(tabCaptions,
              (std::vector<std::wstring>{L"About", L"Settings", L"Schedules", L"Sleep / timed off", L"Options"}));

    // Each caption as many times as the window shows it.
    const std::pair<std::wstring, std::size_t> captions[] = {
        {L"&Load with windows", 1},
        {L"&Add a 20 second time delay when starting up (if you get repeat reboots)", 1},
        {L"Day selection", 1},
        {L"Select which days you wish this event to run", 1},
        {L"Mon", 1},
        {L"Sun", 1},
        {L"Select &all", 1},
        {L"Time and event settings", 1},
        {L"H&our", 1},
        {L"&Minute", 1},
        {L"AM/&PM", 1},
        {L"Action", 1},
        {L"Shut &down", 1},
        {L"Re &boot", 1},
        {L"&Repeat", 1},
        {L"&Save", 1},
        {L"&Use 24 hour clock", 1},
        {L"&Forced shut down", 1},
        {L"Delete &Selected", 1},
        {L"Delete &All", 1},
        {toWide(withAccessKey("ShutDown")), 1}, // the frames of the quick buttons, keyed as in the core's table
        {toWide(withAccessKey("ReBoot")), 1},
        {L"5 minutes", 2},
        {L"60 minutes", 2},
        {L"&Warn before an event (minutes, 0 = off):", 1},
        {L"Postpone b&y (minutes):", 1},
        {L"Show the &next event in the icon's tip", 1},
        {L"Next: nothing scheduled", 1},
        {L"&Postpone next", 1},
        {L"&Skip next", 1},
        {L"&Hide to tray", 5},
    };
    for (const auto& [caption, count] : captions)
        EXPECT_EQ(withCaption(w.window(), caption).size(), count) << std::string(caption.begin(), caption.end());

    // The event list: three columns of 2380 twips, 159 pixels at 96 dpi.
    HWND list = w.control("ListView1");
    const wchar_t* const headers[] = {L"Time and Date", L"Action", L"Repeated?"};
    for (int i = 0; i < 3; ++i) {
        wchar_t text[64] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = text;
        column.cchTextMax = 64;
        ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&column)));
        EXPECT_STREQ(text, headers[i]);
        EXPECT_EQ(column.cx, MulDiv(159, static_cast<int>(w.logicalDpi()), 96));
    }
    EXPECT_TRUE(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
}

TEST(MainWindow, BoxesReachThePresenterByPointerAndKeyboard)
{
    Fixture f;
    win32::MainWindow& w = f.start();
    w.selectTab(MainTab::About);
    HWND box = f.only(L"&Load with windows");
    SendMessageW(box, BM_CLICK, 0, 0);
    EXPECT_EQ(f.autostart.stored, std::optional<std::string>("\"C:\\Q\\quelvo.exe\""));
    // Space on the focused box toggles it back, and the entry follows.
    SetFocus(box);
    SendMessageW(box, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(box, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(f.autostart.stored, std::optional<std::string>(""));

    // The option boxes are stored as they now stand.
    SendMessageW(f.only(L"&Forced shut down"), BM_CLICK, 0, 0);
    EXPECT_EQ(f.settings.get("forced", ""), "False");
}

// Each quick button runs its own member of the core's table: the lines the presenter saves for them in turn.
TEST(MainWindow, EveryQuickButtonRunsItsOwnAction)
{
    Fixture f;
    Fixture called;
    win32::MainWindow& w = f.start();
    called.start();
    w.selectTab(MainTab::Sleep);
    for (std::size_t i = 0; i < kQuickActions.size(); ++i) {
        SendMessageW(w.control(kQuickActions[i].button), BM_CLICK, 0, 0);
        called.window->presenter().quickaction(i);
    }
    EXPECT_EQ(f.fs.content("/prog/events.ini"), called.fs.content("/prog/events.ini"));
    EXPECT_EQ(SendMessageW(w.control("ListView1"), LVM_GETITEMCOUNT, 0, 0), 8);
}

// The list shows the presenter's rows, a column each.
TEST(MainWindow, ListShowsTheRowsItIsGiven)
{
    Fixture f;
    win32::MainWindow& w = f.start();
    w.showEvents({"a line"}, {{{"one", "two", "three"}, "a line"}});
    HWND list = w.control("ListView1");
    EXPECT_EQ(cell(list, 0, 0) + cell(list, 0, 1) + cell(list, 0, 2), L"onetwothree");
}

// The About tab's lines and the AM/PM box with its label show what they are told.
TEST(MainWindow, LabelsAndTheAmPmBoxShowWhatTheyAreTold)
{
    Fixture f;
    win32::MainWindow& w = f.start();
    w.setLabel(MainLabel::Version, "the version");
    w.setLabel(MainLabel::System, "the system");
    EXPECT_EQ(textOf(w.control("lab_vers")) + L"/" + textOf(w.control("lab_windows")), L"the version/the system");
    for (const bool visible : {false, true}) {
        w.setAmPmVisible(visible);
        EXPECT_EQ(shown(w.control("com_am")), visible);
        EXPECT_EQ(shown(f.only(L"AM/&PM")), visible);
    }
}

// A box of minutes turned off takes its arrows with it; the policy's line makes room for itself above
// the tabs and gives it back.
TEST(MainWindow, APolicyLineStandsAboveTheTabsAndABoxTakesItsArrows)
{
    Fixture f;
    win32::MainWindow& w = f.start();
    const auto rectOf = [](HWND control) {
        RECT r{};
        GetWindowRect(control, &r);
        return r;
    };
    const LONG height = rectOf(w.window()).bottom - rectOf(w.window()).top;
    HWND arrows = GetWindow(w.control("txt_warn"), GW_HWNDNEXT);
    w.setControlEnabled("txt_warn", false);
    EXPECT_FALSE(IsWindowEnabled(arrows));
    w.setPolicyLine("Turned off.");
    HWND line = w.control("lab_policy");
    EXPECT_TRUE(shown(line));
    EXPECT_EQ(textOf(line), L"Turned off.");
    EXPECT_LE(rectOf(line).bottom, rectOf(w.control("SSTab1")).top);
    EXPECT_GT(rectOf(w.window()).bottom - rectOf(w.window()).top, height);
    w.setControlEnabled("txt_warn", true);
    EXPECT_TRUE(IsWindowEnabled(arrows));
    w.setPolicyLine("");
    EXPECT_FALSE(shown(line));
    EXPECT_EQ(rectOf(w.window()).bottom - rectOf(w.window()).top, height);
}

// The keyboard through the message loop's navigation: Return presses "&Save" on the Settings tab,
// Ctrl+Tab goes to the next tab.
TEST(MainWindow, ReturnSavesAndCtrlTabTurnsThePage)
{
    Fixture f;
    win32::MainWindow& w = f.start();
    w.selectTab(MainTab::Settings);
    SendMessageW(f.only(L"Mon"), BM_CLICK, 0, 0);
    SendMessageW(f.only(L"Shut &down"), BM_CLICK, 0, 0);
    SetFocus(f.only(L"Mon"));
    MSG key{f.only(L"Mon"), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_TRUE(w.preTranslate(key));
    EXPECT_EQ(f.fs.content("/prog/events.ini"),
              std::optional<std::string>("On Mon at 09:41 AM, Shut Down, Don't repeat\r\n"));

    HWND tabs = w.control("SSTab1");
    EXPECT_EQ(TabCtrl_GetCurSel(tabs), 2); // a save shows the list
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    MSG tab{tabs, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_TRUE(w.preTranslate(tab));
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(TabCtrl_GetCurSel(tabs), 3);
    EXPECT_TRUE(shown(GetParent(w.control("Command3"))));
}

// A frame's access key leads to its first quick button, so the keyboard reaches them all.
TEST(MainWindow, FrameAccessKeysReachTheQuickButtons)
{
    Fixture f;
    win32::MainWindow& w = f.start();
    w.selectTab(MainTab::Sleep);
    for (const auto& [key, button] : {std::pair{L's', "Command3"}, std::pair{L'r', "Command7"}}) {
        SetFocus(w.control("SSTab1"));
        MSG alt{w.control("SSTab1"), WM_SYSCHAR, key, 0, 0, {}};
        EXPECT_TRUE(w.preTranslate(alt));
        EXPECT_EQ(GetFocus(), w.control(button)) << button;
    }
}

// The left button drags the window by a page's background; the right one does not.
TEST(MainWindow, LeftButtonDragsTheWindow)
{
    for (const auto& [down, up, moves] :
         {std::tuple{WM_LBUTTONDOWN, WM_LBUTTONUP, true}, std::tuple{WM_RBUTTONDOWN, WM_RBUTTONUP, false}}) {
        Fixture f;
        win32::MainWindow& w = f.start();
        w.moveTo(100, 200);
        HWND page = GetParent(f.only(L"&Load with windows"));
        SendMessageW(page, down, 0, MAKELPARAM(10, 10));
        SendMessageW(page, WM_MOUSEMOVE, 0, MAKELPARAM(30, 25));
        SendMessageW(page, up, 0, MAKELPARAM(30, 25));
        EXPECT_EQ(w.frame().left, moves ? 120 : 100);
        EXPECT_EQ(w.frame().top, moves ? 215 : 200);
    }
}

// The selected row of the list is the one "Delete Selected" removes.
TEST(MainWindow, DeleteSelectedTakesTheSelectedRow)
{
    Fixture f;
    f.fs.put("/prog/events.ini", "On Mon at 07:30 AM, Shut Down, Repeat daily\r\n"
                                 "On Fri at 11:45 PM, Reboot,    Don't repeat\r\n");
    win32::MainWindow& w = f.start();
    HWND list = w.control("ListView1");
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 2);
    ASSERT_EQ(cell(list, 1, 0), L" Fri at 11:45 PM"); // rows sorted descending on their first column
    ListView_SetItemState(list, 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(f.only(L"Delete &Selected"), BM_CLICK, 0, 0);
    EXPECT_EQ(f.fs.content("/prog/events.ini"),
              std::optional<std::string>("On Mon at 07:30 AM, Shut Down, Repeat daily\r\n"));
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);
}

// Timer1 runs the checker: an event of the current minute opens its countdown at the first tick.
TEST(MainWindow, CheckerTicksFromTheMessageLoop)
{
    Fixture f;
    f.fs.put("/prog/events.ini", "On Mon at 09:41 AM, Reboot,    Repeat daily\r\n");
    f.start();
    const DWORD until = GetTickCount() + 3000;
    MSG message{};
    while (f.reported.empty() && GetTickCount() < until) {
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        else
            Sleep(10);
    }
    EXPECT_EQ(f.reported, std::vector<std::string>{"countdown: open reboot"});
}

// The Options tab shows the stored settings and the next event; a box of minutes is stored in range
// once the user leaves it.
TEST(MainWindow, OptionsTabReachesThePresenter)
{
    Fixture f;
    EXPECT_TRUE(f.settings.save("postpone", "20").ok());
    win32::MainWindow& w = f.start();
    w.selectTab(MainTab::Options);
    HWND postpone = w.control("txt_postpone");
    EXPECT_EQ(textOf(postpone), L"20");
    EXPECT_EQ(textOf(w.control("lab_next")), L"Next: nothing scheduled");
    EXPECT_FALSE(IsWindowEnabled(w.control("com_postponenext")));
    EXPECT_FALSE(IsWindowEnabled(w.control("com_skipnext")));

    SetFocus(postpone);
    SetWindowTextW(postpone, L"500");
    EXPECT_EQ(f.settings.get("postpone", ""), "20"); // not at each digit
    SetFocus(w.control("txt_warn"));
    EXPECT_EQ(f.settings.get("postpone", ""), "120");
    EXPECT_EQ(textOf(postpone), L"120");
    SendMessageW(w.control("chk_nexttip"), BM_CLICK, 0, 0);
    EXPECT_EQ(f.settings.get("nexttip", ""), "False");
}

TEST(MainWindow, CloseButtonHidesAndPointerMovesAreRemembered)
{
    Fixture f;
    win32::MainWindow& w = f.start();
    w.moveTo(100, 200);
    SendMessageW(w.window(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    const int twips = 1440 / static_cast<int>(w.logicalDpi());
    EXPECT_EQ(f.settings.get("x", ""), std::to_string(100 * twips));
    EXPECT_EQ(f.settings.get("y", ""), std::to_string(200 * twips));

    SendMessageW(w.window(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(w.window()));
    EXPECT_EQ(f.settings.get("hide", ""), "1");
    w.presenter().runTrayCommand("show");
    EXPECT_TRUE(IsWindowVisible(w.window()));
}

} // namespace
} // namespace quelvo
