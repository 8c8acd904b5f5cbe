#pragma once

#include "tray/tray_commands.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo::win32 {

/// What the user did with the icon, passed on to the main window's presenter.
struct TrayEvents
{
    std::function<void(int button)> mouseDown;            // 1 left, 2 right
    std::function<void()> doubleClick;                    // either button
    std::function<void(std::string_view key)> menuChoice; // a menu item, by its key
    std::function<void()> menuOpened{};                   // optional: the menu was just opened
    std::function<void()> balloonClicked{};               // optional: the icon's balloon was clicked
};

/// The program's notification-area icon on Windows: a hidden window receives the icon's
/// callback messages (and the shell's restart, to add the icon again); the menu opens with
/// TrackPopupMenu.
class TrayWindow final : public TrayView
{
public:
    TrayWindow(HINSTANCE instance, TrayEvents events);
    ~TrayWindow() override;
    TrayWindow(const TrayWindow&) = delete;
    TrayWindow& operator=(const TrayWindow&) = delete;

    // NotifyIcon
    void add(const NotifyIconData& data) override;
    void modify(const NotifyIconData& data, std::uint32_t flags) override;
    void remove(const NotifyIconData& data) override;
    // TrayView
    void setMenu(const std::vector<TrayMenuItem>& items, int defaultIndex) override;
    void popUpMenu() override;

    [[nodiscard]] HWND window() const;
    /// The pop-up menu as last drawn by setMenu (null before).
    [[nodiscard]] HMENU menu() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace quelvo::win32
