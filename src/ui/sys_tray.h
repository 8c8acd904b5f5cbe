#pragma once

#include "tray/tray_commands.h"

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace quelvo {

/// The component `frmSysTray` in Qt: the program's icon in the notification area with its
/// tip and pop-up menu, drawn from what SysTrayModel sends. Raises the icon's mouse events.
class SysTray final : public QObject, public TrayView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SysTray)

public:
    explicit SysTray(QObject* parent = nullptr);
    ~SysTray() override;

    // NotifyIcon
    void add(const NotifyIconData& data) override;
    void modify(const NotifyIconData& data, std::uint32_t flags) override;
    void remove(const NotifyIconData& data) override;
    // TrayView
    void setMenu(const std::vector<TrayMenuItem>& items, int defaultIndex) override;
    void popUpMenu() override;

    QMenu* menu() const { return m_menu.get(); }
    QSystemTrayIcon* trayIcon() const { return m_tray.get(); }

signals:
    void SysTrayMouseDown(int button);
    void SysTrayDoubleClick(int button);
    void MenuClick(int index, const QString& key);

private:
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    std::vector<QString> m_keys; // the key of each menu item, by index
};

} // namespace quelvo
