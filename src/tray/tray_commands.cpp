#include "tray/tray_commands.h"

#include <utility>

namespace quelvo {

const TrayCommand* findTrayCommand(std::string_view key)
{
    for (const TrayCommand& command : kTrayCommands) {
        if (command.key == key)
            return &command;
    }
    return nullptr;
}

void fillTrayMenu(SysTrayModel& tray)
{
    for (const TrayMenuEntry& entry : kTrayMenu)
        tray.AddMenuItem(entry.caption, entry.key, entry.caption != "-");
    tray.setToolTip(kTrayTip);
}

bool powerAction(TrayAction action)
{
    switch (action) {
    case TrayAction::ShutdownNow:
    case TrayAction::ForcedShutdownNow:
    case TrayAction::RebootNow:
    case TrayAction::QuickAction:
        return true;
    default:
        return false;
    }
}

void enablePowerEntries(SysTrayModel& tray, bool enabled)
{
    const std::vector<TrayMenuItem>& items = tray.items();
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (const TrayCommand* command = findTrayCommand(items[i].key); command && powerAction(command->action))
            tray.EnableMenuItem(static_cast<std::int32_t>(i), enabled);
    }
}

std::string trayMenuSummary(const std::vector<TrayMenuItem>& items, int defaultIndex)
{
    std::string summary;
    bool first = true;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const TrayMenuItem& item = items[i];
        if (!item.visible)
            continue;
        if (!std::exchange(first, false))
            summary += '|';
        if (item.isSeparator()) {
            summary += '-';
            continue;
        }
        if (static_cast<int>(i) == defaultIndex)
            summary += '*';
        summary += item.caption;
    }
    return summary;
}

bool trayButtonOpensMenu(int button)
{
    return button == 2;
}

} // namespace quelvo
