#include "ui/sys_tray.h"

#include "ui/app_icon.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>

namespace quelvo {

SysTray::SysTray(QObject* parent)
    : QObject(parent), m_menu(std::make_unique<QMenu>()), m_tray(std::make_unique<QSystemTrayIcon>())
{
    setObjectName(QStringLiteral("frmSysTray"));
    m_menu->setObjectName(QStringLiteral("mnuPopup"));
    // Desktops that only show exported menus get the same menu on a right click.
    m_tray->setContextMenu(m_menu.get());

    connect(m_tray.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        switch (reason) {
        case QSystemTrayIcon::DoubleClick:
            emit SysTrayDoubleClick(1);
            break;
        case QSystemTrayIcon::Context:
            emit SysTrayMouseDown(2);
            break;
        case QSystemTrayIcon::Trigger:
            emit SysTrayMouseDown(1);
            break;
        default:
            break;
        }
    });
}

SysTray::~SysTray()
{
    m_tray->setContextMenu(nullptr);
}

void SysTray::add(const NotifyIconData& data)
{
    modify(data, kNotifyIcon | kNotifyTip);
    m_tray->show();
}

void SysTray::modify(const NotifyIconData& data, std::uint32_t flags)
{
    // The program has one picture of its own.
    if ((flags & kNotifyIcon) != 0)
        m_tray->setIcon(appIcon());
    if ((flags & kNotifyTip) != 0)
        m_tray->setToolTip(QString::fromStdString(data.tipText()));
}

void SysTray::remove(const NotifyIconData&)
{
    m_tray->hide();
}

void SysTray::setMenu(const std::vector<TrayMenuItem>& items, int defaultIndex)
{
    // Old actions are retired with deleteLater: one of them may still be delivering its choice.
    for (QAction* gone : m_menu->actions()) {
        m_menu->removeAction(gone);
        gone->deleteLater();
    }
    m_keys.clear();
    QAction* defaultAction = nullptr;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const TrayMenuItem& item = items[i];
        const int index = static_cast<int>(i);
        auto* action = new QAction(m_menu.get());
        action->setSeparator(item.isSeparator());
        action->setText(item.isSeparator() ? QString() : QString::fromStdString(item.caption));
        action->setVisible(item.visible);
        action->setEnabled(item.enabled);
        m_keys.push_back(QString::fromStdString(item.key));
        connect(action, &QAction::triggered, this, [this, index] {
            // A copy: a receiver may draw the menu anew while the others still read the key.
            const QString key = m_keys[static_cast<std::size_t>(index)];
            emit MenuClick(index, key);
        });
        if (index == defaultIndex && !item.isSeparator()) {
            QFont font = action->font();
            font.setBold(true);
            action->setFont(font);
            defaultAction = action;
        }
        m_menu->addAction(action);
    }
    m_menu->setDefaultAction(defaultAction);
}

void SysTray::popUpMenu()
{
    // On some desktops the tray has already opened it for the same click.
    if (!m_menu->isVisible())
        m_menu->popup(QCursor::pos());
}

} // namespace quelvo
