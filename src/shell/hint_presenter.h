#pragma once

#include "platform/notifier.h"
#include "shell/window_position.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo {

/// What the hint shows and its size, the same in every face: `Label1`'s text when the hint
/// opens, whose ten blanks after "Right click on the" leave the gap the program's picture
/// (`Image1`) stands in.
inline constexpr std::string_view kHintDefaultText =
    "Right click on the          task bar icon and select 'show main window' to alter settings";
inline constexpr std::string_view kHintTextBeforeGap = "Right click on the";
inline constexpr int kHintGapBlanks = 10;
/// Outer size and `Label1`'s place, in twips; Arial 9.75 pt; the picture's side at 96 dpi.
inline constexpr int kHintWidthTwips = 7530;
inline constexpr int kHintHeightTwips = 510;
inline constexpr int kHintLabelLeftTwips = 70;
inline constexpr int kHintLabelTopTwips = 120;
inline constexpr int kHintLabelHeightTwips = 255;
inline constexpr double kHintPoints = 9.75;
inline constexpr int kHintIconSideAt96 = 32;
/// Space around the buttons of a question, in twips.
inline constexpr int kHintButtonGapTwips = 90;

/// The hint's texts as measured in its font, in pixels.
struct HintTextSizes
{
    int text = 0;      // the whole default text
    int beforeGap = 0; // kHintTextBeforeGap and the blank after it
    int gap = 0;       // the other blanks of the gap
    int line = 0;      // a line's height
};

/// Where the hint's parts stand, in pixels: the window's outer size, and `Label1` and the square
/// picture `Image1` in its client area.
struct HintGeometry
{
    int width = 0;
    int height = 0;
    PixelRect label;
    int iconLeft = 0;
    int iconTop = 0;
    int iconSide = 0;
};

/// The hint laid out from its design in twips at `logicalDpi`, widened when the font runs longer, the
/// picture centred in the gap of the default text. `border`: the width of a frame the window system
/// draws inside the outer size, which the client area lacks on every side.
HintGeometry hintGeometry(const HintTextSizes& sizes, double logicalDpi, int border = 0);

/// A button the hint offers under a question: the key it gives back when pressed, and its caption,
/// as a notification offers its choices.
using HintChoice = NotificationAction;

/// The row of buttons under the hint's text when it asks a question, in pixels.
struct HintButtonRow
{
    int width = 0; // the window's outer size with the row
    int height = 0;
    std::vector<PixelRect> buttons; // in the order of the widths given
};

/// The hint with a row of buttons of those widths under its text: the strip of `g` made taller by
/// the row (and wider where the buttons need it), the buttons right-aligned in it, `gap` pixels apart and
/// from the edges.
HintButtonRow hintButtonRow(const HintGeometry& g, const std::vector<int>& widths, int buttonHeight, int gap);

/// The hint `frm_message` as a window system draws it: a strip above all windows that shows
/// its default text with the icon in the text's gap until told otherwise.
class HintView
{
public:
    virtual ~HintView() = default;

    /// Hides the icon and shows `text` centred: how a scheduled action is confirmed.
    virtual void showConfirmation(const std::string& text) = 0;
    /// Hides the icon, shows `text` and under it one button per choice, the first one first; a press
    /// calls HintPresenter::choose with the choice's key. The window still takes no focus.
    virtual void showChoices(const std::string& text, const std::vector<HintChoice>& choices) = 0;
    /// Calls HintPresenter::elapsed once, `ms` milliseconds from now.
    virtual void closeAfter(int ms) = 0;
    /// The window goes; it may finish deleting itself later but never calls back again.
    virtual void closeWindow() = 0;
};

/// The hint's timing: at most one is open, and it closes two seconds after it opened.
class HintPresenter final
{
public:
    using ViewFactory = std::function<HintView*(HintPresenter&)>;
    /// Called with the key of the choice the user pressed.
    using ChoiceHandler = std::function<void(std::string_view key)>;

    explicit HintPresenter(ViewFactory makeView) : m_makeView(std::move(makeView)) {}
    ~HintPresenter() { elapsed(); }
    HintPresenter(const HintPresenter&) = delete;
    HintPresenter& operator=(const HintPresenter&) = delete;

    /// Shows the hint; an open one stays as it is, its timer left running.
    void open();
    /// Opens the hint and shows the confirmation in it.
    void confirm(const std::string& text);
    /// Asks a question without taking the focus: a hint of its own (one already open goes first) that
    /// shows `text` and the choices, stays `ms` milliseconds unless a choice is pressed first, and
    /// hands the pressed choice's key to `onChoice` once it has closed.
    void ask(const std::string& text, const std::vector<HintChoice>& choices, int ms, ChoiceHandler onChoice);
    /// A choice was pressed in the window.
    void choose(std::string_view key);
    /// The hint's time is up.
    void elapsed();
    /// The window was closed from outside.
    void closed()
    {
        m_view = nullptr;
        m_onChoice = nullptr;
    }

    [[nodiscard]] bool isOpen() const { return m_view != nullptr; }

    static constexpr int kLifetimeMs = 2000;

private:
    ViewFactory m_makeView;
    HintView* m_view = nullptr;
    ChoiceHandler m_onChoice; // while a question is open
};

/// A warning of a firing: its heading and text, with the choices postpone (when
/// `postponeMinutes` is above 0) and skip (unless `skip` is false).
[[nodiscard]] Notification warningNotification(std::string title, std::string body, int postponeMinutes,
                                               bool skip = true);

/// Shows a warning through the desktop's notifications, else as the hint's question for `hintMs`
/// milliseconds; `answer` hears the choice either way. True when the desktop shows it.
bool showWarning(Notifier* notifier, HintPresenter& hint, const Notification& shown, int hintMs,
                 const NotificationHandler& answer);

} // namespace quelvo
