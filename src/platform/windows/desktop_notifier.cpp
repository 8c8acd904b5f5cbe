#include "platform/windows/desktop_notifier.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <utility>

namespace quelvo {

namespace {

// Copies as much of the text as the field holds, NUL included, never ending in half a UTF-8 character.
template <std::size_t N> void fill(std::array<char, N>& field, std::string_view text)
{
    std::size_t end = std::min(text.size(), N - 1);
    while (end > 0 && end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0U) == 0x80U)
        --end;
    field.fill('\0');
    std::copy_n(text.begin(), end, field.begin());
}

} // namespace

DesktopNotifier::DesktopNotifier(NotifyIcon& icon, std::uint32_t identifier) : m_icon(icon), m_identifier(identifier)
{}

bool DesktopNotifier::available() const
{
    return m_area.present();
}

bool DesktopNotifier::show(const Notification& notification, NotificationHandler onAction)
{
    // The balloon has no buttons; its choices are on the window a click opens.
    sendInfo(notification);
    m_handler = std::move(onAction);
    return true;
}

void DesktopNotifier::close()
{
    m_handler = {};
    sendInfo({});
}

void DesktopNotifier::balloonClicked()
{
    if (!m_handler)
        return;
    // A click takes the balloon away; the handler may show the next one.
    const NotificationHandler handler = std::exchange(m_handler, {});
    handler(kNotifyClicked);
}

void DesktopNotifier::sendInfo(const Notification& notification)
{
    NotifyIconData data;
    data.identifier = m_identifier;
    data.flags = kNotifyInfo;
    fill(data.infoTitle, notification.title);
    fill(data.info, notification.body);
    data.infoFlags = kNotifyInfoIcon;
    m_icon.modify(data, kNotifyInfo);
}

} // namespace quelvo
