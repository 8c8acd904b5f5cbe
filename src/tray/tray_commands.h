#pragma once

#include "tray/sys_tray_model.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo {

/// The icon handle of the program's own picture, and the tip the icon has until start-up sets its own.
inline constexpr std::uint32_t kProgramIcon = 1;
inline constexpr std::string_view kFileDescription = "quelvo";

/// The icon's tip once the program has started.
inline constexpr std::string_view kTrayTip = "Double click me for menu, Quelvo from Velmor Software.";

/// One entry of the tray menu: its caption and the key its choice reports; "-" is a separator.
struct TrayMenuEntry
{
    std::string_view caption;
    std::string_view key;
};

/// The tray menu in its order. Every entry but the separators asks to be the default, so the
/// last of them, "&Exit", ends up as the default item.
inline constexpr std::array<TrayMenuEntry, 24> kTrayMenu = {{
    {"&Show main window", "show"},
    {"-", ""},
    {"&Shut down PC now!", "shutdown"},
    {"&Forced Shut down now!", "shutdownforce"},
    {"-", ""},
    {"&Re Boot PC now!", "reboot"},
    {"-", ""},
    {"&Set new event", "set"},
    {"-", ""},
    {"&Delete an event", "delete"},
    {"-", ""},
    {"ShutDown in 5 minutes", "s5"},
    {"ShutDown in 15 minutes", "s15"},
    {"ShutDown in 30 minutes", "s30"},
    {"ShutDown in 60 minutes", "s60"},
    {"-", ""},
    {"ReBoot in 5 minutes", "r5"},
    {"ReBoot in 15 minutes", "r15"},
    {"ReBoot in 30 minutes", "r30"},
    {"ReBoot in 60 minutes", "r60"},
    {"-", ""},
    {"&About Quelvo!", "about"},
    {"-", ""},
    {"&Exit", "exit"},
}};

/// What a menu key (or the double click on the icon) does.
enum class TrayAction {
    ShowWindow,        // on the tab it was left on
    ShowSettings,      // on "Settings"
    ShowSchedules,     // on "Schedules"
    ShowAbout,         // on "About"
    ShutdownNow,       // the shutdown countdown, at its last second
    ForcedShutdownNow, // the same with "Forced shut down" ticked
    RebootNow,         // the reboot countdown, at its last second
    QuickAction,       // one of the eight delayed actions, by its place in kQuickActions
    Exit
};

/// A key and what it does.
struct TrayCommand
{
    std::string_view key;
    TrayAction action;
    std::size_t quickAction = 0; // for TrayAction::QuickAction
};

/// Every key the menu reports, matched exactly (case included).
inline constexpr std::array<TrayCommand, 16> kTrayCommands = {{
    {"show", TrayAction::ShowWindow},
    {"shutdown", TrayAction::ShutdownNow},
    {"shutdownforce", TrayAction::ForcedShutdownNow},
    {"reboot", TrayAction::RebootNow},
    {"set", TrayAction::ShowSettings},
    {"delete", TrayAction::ShowSchedules},
    {"s5", TrayAction::QuickAction, 0},
    {"s15", TrayAction::QuickAction, 1},
    {"s30", TrayAction::QuickAction, 2},
    {"s60", TrayAction::QuickAction, 3},
    {"r5", TrayAction::QuickAction, 4},
    {"r15", TrayAction::QuickAction, 5},
    {"r30", TrayAction::QuickAction, 6},
    {"r60", TrayAction::QuickAction, 7},
    {"about", TrayAction::ShowAbout},
    {"exit", TrayAction::Exit},
}};

/// A double click on the icon shows the window on "About".
inline constexpr TrayAction kTrayDoubleClick = TrayAction::ShowAbout;

/// The command of a key; nullptr for a key the menu never reports.
const TrayCommand* findTrayCommand(std::string_view key);

/// Fills the icon's menu from kTrayMenu and sets its tip.
void fillTrayMenu(SysTrayModel& tray);

/// True for the actions that shut down or restart, now or a few minutes from now.
bool powerAction(TrayAction action);

/// Enables or greys the menu's entries whose action is a power action; the others stay as they are.
void enablePowerEntries(SysTrayModel& tray, bool enabled);

/// The menu as the user sees it, for dry-run reports and tests: the visible items' captions
/// joined by "|", a separator as "-", the default item (never a separator) with a leading "*".
std::string trayMenuSummary(const std::vector<TrayMenuItem>& items, int defaultIndex);

/// True when a press of that mouse button on the icon opens the menu (the right one, 2).
bool trayButtonOpensMenu(int button);

/// The notification area as a window system shows it: the icon itself and its pop-up menu.
class TrayView : public NotifyIcon
{
public:
    /// Draws the menu from its items; `defaultIndex` is shown in bold.
    virtual void setMenu(const std::vector<TrayMenuItem>& items, int defaultIndex) = 0;
    /// Opens the menu at the pointer.
    virtual void popUpMenu() = 0;
};

} // namespace quelvo
