// What the main window's two source files share: its handles, control numbers and helpers.
#pragma once

#include "platform/windows/desktop_notifier.h"
#include "ui/win32/main_window.h"
#include "ui/win32/tray_window.h"

#include <windows.h>

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo::win32 {

/// The controls' numbers, as WM_COMMAND and WM_NOTIFY carry them.
enum ControlId : int {
    kIdTabs = 100,
    kIdWelcome,
    kIdDescription,
    kIdVersion,
    kIdSystem,
    kIdIcon,
    kIdLoadWithWindows,
    kIdPause,
    kIdInstructions,
    kIdDayFrame,
    kIdDayHint,
    kIdDays,                    // seven, Monday first
    kIdSelectAll = kIdDays + 7, // Command1
    kIdTimeFrame,
    kIdHourLabel,
    kIdMinuteLabel,
    kIdAmPmLabel,
    kIdCombos, // txt_hr, txt_min, com_am
    kIdActionFrame = kIdCombos + 3,
    kIdShutdown,
    kIdReboot,
    kIdRepeat,
    kIdSave,
    kIdTwentyFour,
    kIdForced,
    kIdList,
    kIdDeleteSelected,
    kIdDeleteAll,
    kIdQuickFrames,                        // two
    kIdQuickActions = kIdQuickFrames + 2,  // eight, Command3 .. Command10
    kIdHidePictures = kIdQuickActions + 8, // five, one per tab
    kIdMinuteLabels = kIdHidePictures + 5, // two, in MainSpin order
    kIdMinutes = kIdMinuteLabels + 2,      // txt_warn, txt_postpone
    kIdMinuteArrows = kIdMinutes + 2,      // the up-down beside each
    kIdNextTip = kIdMinuteArrows + 2,
    kIdNextLine,
    kIdPostponeNext,
    kIdSkipNext,
    kIdPolicyLine, // above the tabs
    kIdEnd,
};

struct MainWindow::State
{
    State(MainWindow& self, HINSTANCE instance) : self(self), instance(instance) {}

    MainWindow& self;
    HINSTANCE instance;
    HWND window = nullptr;
    HWND tabs = nullptr;
    HWND tooltips = nullptr;
    std::array<HWND, 5> pages{};
    std::map<std::string, HWND, std::less<>> named; // object name to control
    std::array<HWND, kIdEnd> byId{};
    HFONT font = nullptr;
    int dpi = 96;
    std::string welcome;      // as shown, its link as text
    bool welcomeLink = false; // drawn by a SysLink control, which follows the link itself
    std::vector<std::string> lstEvents;
    std::string policyLine; // as shown above the tabs; empty: hidden
    std::unique_ptr<TrayWindow> tray;
    std::unique_ptr<DesktopNotifier> notifier; // the warning as the icon's balloon
    std::unique_ptr<MainPresenter> presenter;
    bool busy = false;
    bool checkerOn = false;
    int timerPeriod = 0; // Timer1's period as last set: 1000 ms once in phase
    bool dragging = false;
    HWND focus = nullptr; // the control that had the focus when the window was left

    [[nodiscard]] HWND item(int id) const
    {
        return id >= 0 && id < kIdEnd ? byId[static_cast<std::size_t>(id)] : nullptr;
    }
    /// A child control of a page (or of the window), with the window's font, its name and its tooltip.
    HWND add(HWND parent, const wchar_t* windowClass, int id, std::string_view name, std::string_view caption,
             DWORD style, DWORD exStyle = 0, std::string_view tooltip = {});

    // main_window_layout.cpp
    void buildControls();
    /// Places every control for the current font and dpi; returns the client size the window needs.
    SIZE layout();
    void showPage(int index);
};

} // namespace quelvo::win32
