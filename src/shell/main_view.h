#pragma once

#include "countdown/countdown_presenter.h"
#include "schedule/event_list.h"
#include "schedule/user_message.h"
#include "shell/hint_presenter.h"
#include "shell/window_position.h"
#include "tray/tray_commands.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo {

/// The tabs of the main window (`SSTab1`), in their order.
enum class MainTab { About = 0, Settings = 1, Schedules = 2, Sleep = 3, Options = 4 };

/// The main window's check boxes: the seven days (`chk_mon` .. `chk_sun`) first.
enum class MainBox {
    Monday,
    Tuesday,
    Wednesday,
    Thursday,
    Friday,
    Saturday,
    Sunday,
    Shutdown,   // chk_shutdown
    Reboot,     // chk_reboot
    Repeat,     // chk_repeat
    TwentyFour, // Check1, "Use 24 hour clock"
    Forced,     // chk_forced
    Pause,      // chk_pause
    Autostart,  // chk_lww
    NextTip     // chk_nexttip, "Show the next event in the icon's tip"
};

/// The Options tab's boxes of minutes.
enum class MainSpin { Warn, Postpone }; // txt_warn, txt_postpone

/// The editor's three editable lists.
enum class MainCombo { Hour, Minute, AmPm }; // txt_hr, txt_min, com_am

/// The About tab's plain lines.
enum class MainLabel { Version, System }; // lab_vers, lab_windows

/// The About tab's welcome (`Label1`): a text with a link in it that shows its own address.
struct WelcomeText
{
    std::string before;
    std::string link;
    std::string after;
};

/// The main window as a window system draws it. Setters never call back into the presenter;
/// the window passes only what the user did on to it.
class MainView
{
public:
    virtual ~MainView() = default;

    virtual void setLabel(MainLabel label, const std::string& text) = 0;
    virtual void setWelcome(const WelcomeText& welcome) = 0;
    virtual void selectTab(MainTab tab) = 0;
    [[nodiscard]] virtual bool checked(MainBox box) const = 0;
    virtual void setChecked(MainBox box, bool on) = 0;
    [[nodiscard]] virtual std::string text(MainCombo combo) const = 0;
    virtual void setText(MainCombo combo, const std::string& text) = 0;
    virtual void fill(MainCombo combo, const std::vector<std::string>& items) = 0;
    /// com_am and its label Label9.
    virtual void setAmPmVisible(bool visible) = 0;
    /// The hidden raw list (`lst_events`) and the visible rows (`ListView1`), in the order given.
    virtual void showEvents(const std::vector<std::string>& lines, const std::vector<ListRow>& rows) = 0;
    /// The selected row of the visible list, by its place.
    [[nodiscard]] virtual std::optional<std::size_t> selectedRow() const = 0;
    [[nodiscard]] virtual int value(MainSpin spin) const = 0;
    virtual void setValue(MainSpin spin, int minutes) = 0;
    /// The Options tab's read-only line about the next event (`lab_next`).
    virtual void setNextText(const std::string& text) = 0;
    /// Whether "Postpone next" and "Skip next" can be pressed.
    virtual void setNextButtons(bool postpone, bool skip) = 0;
    /// Whether the control of that object name (`chk_mon`, `txt_hr`, `Command3`, ...) can be used.
    virtual void setControlEnabled(std::string_view control, bool enabled) = 0;
    /// The line above the tabs (`lab_policy`) that says what the administrator holds back; empty hides it.
    virtual void setPolicyLine(const std::string& text) = 0;

    /// A modal message with OK.
    virtual void showMessage(const UserMessage& message) = 0;
    /// A modal Yes/No question; true for Yes.
    virtual bool ask(const UserQuestion& question) = 0;
    /// A message titled "Error!" that does not block the caller.
    virtual void showError(const std::string& text) = 0;
    /// The busy pointer while a save runs.
    virtual void setBusy(bool busy) = 0;

    /// Restores the window from the task bar or the tray, raises and activates it.
    virtual void restoreWindow() = 0;
    virtual void minimiseWindow() = 0;
    /// Makes the window invisible, task bar entry included.
    virtual void hideWindow() = 0;
    [[nodiscard]] virtual bool windowHidden() const = 0;
    [[nodiscard]] virtual bool windowMinimised() const = 0;
    [[nodiscard]] virtual bool windowMaximised() const = 0;

    /// The window at the size its contents need, where it stands.
    [[nodiscard]] virtual PixelRect fitToContents() = 0;
    [[nodiscard]] virtual PixelRect frame() const = 0;
    /// False where the window system places windows itself (Wayland): the program can neither
    /// move its window nor learn where it stands.
    [[nodiscard]] virtual bool canPlaceWindow() const = 0;
    virtual void moveTo(int left, int top) = 0;
    /// Lets the window system move the window with the pointer, from the button press on.
    virtual void startSystemMove() = 0;
    [[nodiscard]] virtual double logicalDpi() const = 0;
    /// The free area of every screen.
    [[nodiscard]] virtual std::vector<PixelRect> screens() const = 0;

    /// Starts the checker's timer (`Timer1`), first ticking `firstTickMs` from now; each tick calls
    /// MainPresenter::timer1Tick and runs on at the period that returns.
    virtual void startChecker(int firstTickMs) = 0;
    virtual void stopChecker() = 0;

    /// The notification area's icon and menu.
    virtual TrayView& tray() = 0;
    /// Builds a countdown window; it deletes itself once closed.
    virtual CountdownView* makeCountdown(CountdownKind kind, CountdownControls& presenter) = 0;
    /// Builds the hint window; it deletes itself once closed.
    virtual HintView* makeHint(HintPresenter& presenter) = 0;
};

} // namespace quelvo
