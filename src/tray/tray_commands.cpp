#include "tray/tray_commands.h"

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

bool trayButtonOpensMenu(int button)
{
    return button == 2;
}

} // namespace quelvo
