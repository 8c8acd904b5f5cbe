#include "ui/sys_tray.h"

#include "ui/app_icon.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>

namespace quelvo {

namespace {

// The program's file description, the icon's tip until the owner sets one.
const char* const kFileDescription = "quelvo";

std::string toStd(const QString& text)
{
    return text.toStdString();
}

} // namespace

// Carries the model's notification-area requests to QSystemTrayIcon.
class SysTray::Port final : public NotifyIcon
{
public:
    explicit Port(SysTray& owner) : m_owner(owner) {}

    void add(const NotifyIconData& data) override
    {
        apply(data, kNotifyIcon | kNotifyTip);
        m_owner.m_tray->show();
    }
    void modify(const NotifyIconData& data, std::uint32_t flags) override { apply(data, flags); }
    void remove(const NotifyIconData&) override { m_owner.m_tray->hide(); }

private:
    void apply(const NotifyIconData& data, std::uint32_t flags)
    {
        if ((flags & kNotifyIcon) != 0) {
            const auto found = m_owner.m_icons.find(data.icon);
            if (found != m_owner.m_icons.end())
                m_owner.m_tray->setIcon(found->second);
        }
        if ((flags & kNotifyTip) != 0)
            m_owner.m_tray->setToolTip(QString::fromStdString(data.tipText()));
    }

    SysTray& m_owner;
};

SysTray::SysTray(QObject* parent)
    : QObject(parent), m_menu(std::make_unique<QMenu>()), m_tray(std::make_unique<QSystemTrayIcon>())
{
    setObjectName(QStringLiteral("frmSysTray"));
    m_menu->setObjectName(QStringLiteral("mnuPopup"));
    m_icons.emplace(kBuiltInIcon, appIcon());
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
            emit SysTrayMouseUp(1);
            break;
        default:
            break;
        }
    });

    m_port = std::make_unique<Port>(*this);
    m_model = std::make_unique<SysTrayModel>(*m_port, kBuiltInIcon, kFileDescription);
}

SysTray::~SysTray()
{
    m_tray->setContextMenu(nullptr);
    m_model.reset(); // takes the icon away while the tray object still exists
}

QString SysTray::ToolTip() const
{
    return QString::fromStdString(m_model->ToolTip());
}

void SysTray::setToolTip(const QString& text)
{
    m_model->setToolTip(toStd(text));
}

std::uint32_t SysTray::IconHandle() const
{
    return m_model->IconHandle();
}

void SysTray::setIconHandle(std::uint32_t handle)
{
    m_model->setIconHandle(handle);
}

std::uint32_t SysTray::registerIcon(const QIcon& icon)
{
    for (const auto& [handle, known] : m_icons) {
        if (known.cacheKey() == icon.cacheKey())
            return handle;
    }
    const std::uint32_t handle = m_icons.rbegin()->first + 1;
    m_icons.emplace(handle, icon);
    return handle;
}

void SysTray::setIcon(const QIcon& icon)
{
    setIconHandle(registerIcon(icon));
}

int SysTray::AddMenuItem(const QString& caption, const QString& key, bool makeDefault)
{
    const int index = m_model->AddMenuItem(toStd(caption), toStd(key), makeDefault);
    rebuildMenu();
    return index;
}

int SysTray::RemoveMenuItem(int index)
{
    const int result = m_model->RemoveMenuItem(index);
    rebuildMenu();
    return result;
}

void SysTray::EnableMenuItem(int index, bool enabled)
{
    m_model->EnableMenuItem(index, enabled);
    rebuildMenu();
}

bool SysTray::IsValidMenuIndex(int index) const
{
    return m_model->IsValidMenuIndex(index);
}

int SysTray::DefaultMenuIndex() const
{
    return m_model->DefaultMenuIndex();
}

void SysTray::setDefaultMenuIndex(int index)
{
    m_model->setDefaultMenuIndex(index);
    rebuildMenu();
}

void SysTray::rebuildMenu()
{
    // Actions are updated in place and retired with deleteLater, because the owner may
    // change the menu from inside a MenuClick that one of them is still delivering.
    const auto& items = m_model->items();
    while (m_actions.size() > items.size()) {
        QAction* gone = m_actions.back();
        m_actions.pop_back();
        m_menu->removeAction(gone);
        gone->deleteLater();
    }
    while (m_actions.size() < items.size()) {
        const int index = static_cast<int>(m_actions.size());
        auto* action = new QAction(m_menu.get());
        action->setData(index);
        connect(action, &QAction::triggered, this, [this, index] {
            // The key is read at the moment of the choice: items may have moved since.
            if (m_model->IsValidMenuIndex(index))
                emit MenuClick(index, QString::fromStdString(m_model->items()[static_cast<std::size_t>(index)].key));
        });
        m_menu->addAction(action);
        m_actions.push_back(action);
    }

    QAction* defaultAction = nullptr;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const auto& item = items[i];
        QAction* action = m_actions[i];
        const bool isDefault = static_cast<int>(i) == m_model->DefaultMenuIndex() && !item.isSeparator();
        action->setSeparator(item.isSeparator());
        action->setText(item.isSeparator() ? QString() : QString::fromStdString(item.caption));
        action->setVisible(item.visible);
        action->setEnabled(item.enabled);
        QFont font = action->font();
        font.setBold(isDefault);
        action->setFont(font);
        if (isDefault)
            defaultAction = action;
    }
    m_menu->setDefaultAction(defaultAction);
}

void SysTray::ShowMenu()
{
    // On some desktops the tray has already opened it for the same click.
    if (m_menu->isVisible())
        return;
    m_menu->popup(QCursor::pos());
}

QString SysTray::menuSummary() const
{
    QStringList entries;
    for (const QAction* action : m_menu->actions()) {
        if (!action->isVisible())
            continue;
        const QString text = action->isSeparator() ? QStringLiteral("-") : action->text();
        entries.append(action == m_menu->defaultAction() ? QLatin1Char('*') + text : text);
    }
    return entries.join(QLatin1Char('|'));
}

void SysTray::deliverNotification(std::int64_t xTwips, int buttonState)
{
    raise(decodeTrayNotification(xTwips, buttonState));
}

void SysTray::raise(const TrayEvent& event)
{
    switch (event.kind) {
    case TrayEventKind::MouseMove:
        emit SysTrayMouseMove();
        break;
    case TrayEventKind::MouseDown:
        emit SysTrayMouseDown(event.button);
        break;
    case TrayEventKind::MouseUp:
        emit SysTrayMouseUp(event.button);
        break;
    case TrayEventKind::DoubleClick:
        emit SysTrayDoubleClick(event.button);
        break;
    case TrayEventKind::None:
        break;
    }
}

} // namespace quelvo
