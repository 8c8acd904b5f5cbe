#pragma once

#include "platform/settings_keys.h"
#include "schedule/event_line.h"

#include <array>
#include <string_view>

namespace quelvo {

/// A control of the main window as every face shows it: its object name, its caption (with an
/// `&` before the mnemonic letter) and its tooltip (empty: none).
struct ControlText
{
    std::string_view name;
    std::string_view caption;
    std::string_view tooltip{};
};

/// The main window's title.
inline constexpr std::string_view kMainTitle = "Quelvo";
/// The captions of the tabs of `SSTab1`, in MainTab order.
inline constexpr std::array<std::string_view, 5> kTabCaptions = {"About", "Settings", "Schedules", "Sleep / timed off",
                                                                 "Options"};

// ---- About
inline constexpr std::string_view kDescription =
    "Quelvo! was designed to simplify the automation of shutting down and re booting your computer at specific times "
    "during the day and night. You can set an unlimited ammount of shut down and re boot settings, you could even set "
    "your computer to re boot everyminute if you wished.";
inline constexpr ControlText kLoadWithWindowsBox{"chk_lww", "Load with windows",
                                                 "Click here to make this software load with windows."};
inline constexpr ControlText kStartupDelayBox{
    "chk_pause", "Add a 20 second time delay when starting up (if you get repeat reboots)"};
/// The program's picture on the About tab, in pixels at 96 dpi.
inline constexpr int kAboutIconPixels = 48;

// ---- Settings: the event editor
inline constexpr std::string_view kInstructions =
    "To make your PC shut down or re boot at a certain time, do the following. Select the day that you wish the re "
    "boot or shut down to take place. Then select the time of the event. Finally press the 'Save' button.";
inline constexpr std::string_view kDayFrameCaption = "Day selection";
inline constexpr std::string_view kDayFrameHint = "Select which days you wish this event to run";
/// The weekday boxes, Monday first (MainBox order).
inline constexpr std::array<ControlText, 7> kDayBoxes = {{
    {"chk_mon", kEditorDays[0], "Monday"},
    {"chk_tue", kEditorDays[1], "Tuesday"},
    {"chk_wed", kEditorDays[2], "Wednesday"},
    {"chk_thu", kEditorDays[3], "Thursday"},
    {"chk_fri", kEditorDays[4], "Friday"},
    {"chk_sat", kEditorDays[5], "Saturday"},
    {"chk_sun", kEditorDays[6], "Sunday"},
}};
inline constexpr ControlText kSelectAllButton{"Command1", "Select all",
                                              "Click here to select or de-select all of the days"};
inline constexpr std::string_view kTimeFrameCaption = "Time and event settings";
inline constexpr std::string_view kHourLabel = "Hour";
inline constexpr std::string_view kMinuteLabel = "Minute";
inline constexpr ControlText kAmPmLabel{"Label9", "AM/PM"};
/// The editor's editable lists, in MainCombo order; they have no caption of their own.
inline constexpr std::array<ControlText, 3> kEditorCombos = {{
    {"txt_hr", "", "Enter the hour of the event in here"},
    {"txt_min", "", "Enter the minute of the event in here"},
    {"com_am", "", "Choose from AM or PM"},
}};
inline constexpr std::string_view kActionFrameCaption = "Action";
inline constexpr ControlText kShutdownBox{"chk_shutdown", "Shut down",
                                          "Click here to make the event Shut Down the computer"};
inline constexpr ControlText kRebootBox{"chk_reboot", "Re boot", "Click here to make the event Re Boot the computer"};
inline constexpr ControlText kRepeatBox{"chk_repeat", "Repeat", "Clicking here will make the appointment repeat"};
inline constexpr ControlText kSaveButton{"com_save", "&Save", "Click here to save this event"};
inline constexpr ControlText kTwentyFourBox{"Check1", "Use 24 hour clock",
                                            "Click here to use a 24 hour clock instead of 12 hour."};
inline constexpr ControlText kForcedBox{"chk_forced", "Forced shut down"};

// ---- Schedules: the event list
/// The headers of `ListView1`'s columns, in order.
inline constexpr std::array<std::string_view, 3> kListColumns = {"Time and Date", "Action", "Repeated?"};
/// Each column of the event list is this wide, whatever the screen.
inline constexpr double kListColumnTwips = 2380;
inline constexpr ControlText kDeleteSelectedButton{
    "com_del", "Delete Selected", "Select an event from the aboce list and then click here to Delete them"};
inline constexpr ControlText kDeleteAllButton{"Command2", "Delete All",
                                              "Click here to delete all entries from the above list"};

// ---- Options
/// A box of whole minutes with the label before it, and the range it takes.
struct MinutesBoxText
{
    ControlText box; // its caption is the label's
    MinutesKey range;
};
inline constexpr MinutesBoxText kWarnBox{
    {"txt_warn", "Warn before an event (minutes, 0 = off):", "How long before a shut down or re boot a warning shows"},
    setting::kWarn};
inline constexpr MinutesBoxText kPostponeBox{
    {"txt_postpone", "Postpone by (minutes):", "How long \"Postpone\" puts a shut down or re boot off"},
    setting::kPostpone};
/// The boxes' width, in pixels at 96 dpi.
inline constexpr int kMinutesBoxPixels = 64;
inline constexpr ControlText kNextTipBox{"chk_nexttip", "Show the next event in the icon's tip"};
/// The line that names the next event; its text comes from the presenter.
inline constexpr std::string_view kNextLineName = "lab_next";
inline constexpr ControlText kPostponeNextButton{"com_postponenext", "Postpone next",
                                                 "Put the next shut down or re boot off by the minutes above"};
inline constexpr ControlText kSkipNextButton{"com_skipnext", "Skip next",
                                             "Leave out the next firing of a repeating event"};

// ---- Above the tabs
/// The line that says the administrator has turned something off; its text comes from the presenter.
inline constexpr std::string_view kPolicyLineName = "lab_policy";

// ---- Every tab
/// The hide-to-tray picture's caption and tooltip; its names, one per tab in MainTab order, follow.
inline constexpr ControlText kHidePicture{"", "Hide to tray", "Hide this window in the notification area"};
inline constexpr std::array<std::string_view, 5> kHidePictureNames = {"image3", "Image2", "Image1", "Picture1",
                                                                      "Picture2"};
/// The hide picture's side, in pixels at 96 dpi.
inline constexpr int kHidePicturePixels = 16;

} // namespace quelvo
