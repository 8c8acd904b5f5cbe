#pragma once

#include "platform/notify_icon.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo {

/// One entry of the tray icon's pop-up menu; a caption of "-" makes it a separator.
struct TrayMenuItem
{
    std::string caption;
    std::string key;
    bool visible = false;
    bool enabled = true;

    [[nodiscard]] bool isSeparator() const { return caption == "-"; }
};

/// The program's notification-area icon: its record, tip, picture and menu items.
/// The icon is added when the model is created and removed when it is destroyed.
class SysTrayModel final
{
public:
    /// Adds the icon showing `builtInIcon` with the tip `fileDescription`.
    SysTrayModel(NotifyIcon& port, std::uint32_t builtInIcon, std::string_view fileDescription);
    ~SysTrayModel();
    SysTrayModel(const SysTrayModel&) = delete;
    SysTrayModel& operator=(const SysTrayModel&) = delete;

    /// The tip text as the notification area shows it.
    [[nodiscard]] std::string ToolTip() const { return m_data.tipText(); }
    /// Shows a new tip; text beyond 63 characters is cut off.
    void setToolTip(std::string_view text);

    /// The icon handle currently shown.
    [[nodiscard]] std::uint32_t IconHandle() const { return m_data.icon; }
    /// Shows another icon; the same handle again sends nothing.
    void setIconHandle(std::uint32_t icon);

    /// Appends an item (the first call takes element 0 into use) and returns its index.
    std::int32_t AddMenuItem(std::string_view caption, std::string_view key, bool makeDefault);
    /// Removes an item, moving the captions and keys after it down one place; element 0 only loses its caption.
    std::int32_t RemoveMenuItem(std::int32_t index);
    /// Enables or disables a valid item; other indexes are ignored.
    void EnableMenuItem(std::int32_t index, bool enabled);
    /// True when the index names an existing item.
    [[nodiscard]] bool IsValidMenuIndex(std::int32_t index) const;

    /// The item shown as the menu's default (bold) entry.
    [[nodiscard]] std::int32_t DefaultMenuIndex() const { return m_defaultIndex; }
    /// Makes a valid index the default; anything else makes it 0.
    void setDefaultMenuIndex(std::int32_t index);

    /// All items, index 0 first, separators and hidden ones included.
    [[nodiscard]] const std::vector<TrayMenuItem>& items() const { return m_items; }
    /// Whether element 0 has been taken into use.
    [[nodiscard]] bool menuStarted() const { return m_menuStarted; }
    /// The record sent with every request.
    [[nodiscard]] const NotifyIconData& data() const { return m_data; }

private:
    NotifyIcon& m_port;
    NotifyIconData m_data;
    std::vector<TrayMenuItem> m_items{TrayMenuItem{}};
    bool m_menuStarted = false;
    std::int32_t m_defaultIndex = 0;
};

/// What a mouse notification on the icon means to the owner.
enum class TrayEventKind { None, MouseMove, MouseDown, MouseUp, DoubleClick };

struct TrayEvent
{
    TrayEventKind kind = TrayEventKind::None;
    int button = 0; // 1 left, 2 right; 0 for MouseMove and None

    bool operator==(const TrayEvent&) const = default;
};

/// What a mouse message on the icon (WM_MOUSEMOVE 512 to WM_RBUTTONDBLCLK 518, as the
/// notification area reports it) means; None for any other number.
[[nodiscard]] TrayEvent decodeTrayMouseMessage(std::int64_t message);

/// Decodes a notification delivered as a mouse move whose x coordinate (in twips, at 15 or
/// 12 twips per pixel) carries the mouse message's code; `buttonState` decides otherwise.
[[nodiscard]] TrayEvent decodeTrayNotification(std::int64_t xTwips, int buttonState);

} // namespace quelvo
