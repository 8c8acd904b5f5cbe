#pragma once

#include "platform/notify_icon.h"
#include "tray/sys_tray_model.h"

#include <QIcon>
#include <QObject>
#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace quelvo {

/// The component `frmSysTray`: the program's icon in the notification area, with its
/// tip and pop-up menu. The icon appears when it is created and goes when it is destroyed.
class SysTray final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SysTray)

public:
    /// Shows the program's icon with the tip "quelvo".
    explicit SysTray(QObject* parent = nullptr);
    ~SysTray() override;

    QString ToolTip() const;
    void setToolTip(const QString& text);

    /// The handle of the icon shown; kBuiltInIcon is the program's own.
    std::uint32_t IconHandle() const;
    /// Shows a registered icon; the handle already shown sends nothing.
    void setIconHandle(std::uint32_t handle);
    /// Registers a picture and returns its handle (the same picture gives the same handle).
    std::uint32_t registerIcon(const QIcon& icon);
    /// Registers and shows a picture, as `settrayicon` does.
    void setIcon(const QIcon& icon);

    int AddMenuItem(const QString& caption, const QString& key, bool makeDefault);
    int RemoveMenuItem(int index);
    void EnableMenuItem(int index, bool enabled);
    bool IsValidMenuIndex(int index) const;
    int DefaultMenuIndex() const;
    void setDefaultMenuIndex(int index);

    /// Opens the pop-up menu at the pointer, the default item in bold.
    void ShowMenu();
    /// The menu as it stands, for dry-run reports: captions joined by "|", a separator as "-",
    /// the default item marked with a leading "*".
    [[nodiscard]] QString menuSummary() const;

    /// Delivers a notification coded as a mouse move in twips (see decodeTrayNotification).
    void deliverNotification(std::int64_t xTwips, int buttonState);

    const SysTrayModel& model() const { return *m_model; }
    QMenu* menu() const { return m_menu.get(); }
    QSystemTrayIcon* trayIcon() const { return m_tray.get(); }

    static constexpr std::uint32_t kBuiltInIcon = 1;

signals:
    void SysTrayMouseDown(int button);
    void SysTrayMouseUp(int button);
    void SysTrayMouseMove();
    void SysTrayDoubleClick(int button);
    void MenuClick(int index, const QString& key);

private:
    class Port;

    void rebuildMenu();
    void raise(const TrayEvent& event);

    std::unique_ptr<QMenu> m_menu;
    std::vector<QAction*> m_actions; // one per item, owned by m_menu
    std::unique_ptr<QSystemTrayIcon> m_tray;
    std::map<std::uint32_t, QIcon> m_icons;
    std::unique_ptr<Port> m_port;
    std::unique_ptr<SysTrayModel> m_model; // declared last: removes the icon before the rest goes
};

} // namespace quelvo
