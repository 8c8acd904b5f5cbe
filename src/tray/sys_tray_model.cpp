#include "tray/sys_tray_model.h"

#include <algorithm>

namespace quelvo {

namespace {

constexpr std::uint32_t kAllParts = kNotifyMessage | kNotifyIcon | kNotifyTip;

// Cuts to at most 63 bytes without splitting a UTF-8 sequence, so the tip never
// ends in half a character.
std::string_view fitTip(std::string_view text)
{
    constexpr std::size_t limit = kNotifyTipField - 1;
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0U) == 0x80U)
        --end;
    return text.substr(0, end);
}

void storeTip(NotifyIconData& data, std::string_view text)
{
    const auto fitted = fitTip(text);
    data.tip.fill(' ');
    std::copy(fitted.begin(), fitted.end(), data.tip.begin());
    data.tip[fitted.size()] = '\0';
}

} // namespace

SysTrayModel::SysTrayModel(NotifyIcon& port, std::uint32_t builtInIcon, std::string_view fileDescription) : m_port(port)
{
    m_data.identifier = builtInIcon;
    m_data.flags = kAllParts;
    m_data.callbackMessage = kNotifyCallbackMessage;
    m_data.icon = builtInIcon;
    storeTip(m_data, fileDescription);
    m_port.add(m_data);
}

SysTrayModel::~SysTrayModel()
{
    m_port.remove(m_data);
}

void SysTrayModel::setToolTip(std::string_view text)
{
    storeTip(m_data, text);
    m_data.flags = kNotifyTip;
    m_port.modify(m_data, kNotifyTip);
}

void SysTrayModel::setIconHandle(std::uint32_t icon)
{
    if (icon == m_data.icon)
        return;
    m_data.icon = icon;
    m_data.flags = kNotifyIcon;
    m_port.modify(m_data, kNotifyIcon);
}

std::int32_t SysTrayModel::AddMenuItem(std::string_view caption, std::string_view key, bool makeDefault)
{
    std::int32_t index = 0;
    if (m_menuStarted) {
        index = static_cast<std::int32_t>(m_items.size());
        m_items.emplace_back();
    } else {
        m_menuStarted = true;
    }
    auto& item = m_items[static_cast<std::size_t>(index)];
    item.visible = true;
    item.key = key;
    item.caption = caption;
    if (makeDefault)
        m_defaultIndex = index;
    return index;
}

std::int32_t SysTrayModel::RemoveMenuItem(std::int32_t index)
{
    if (!IsValidMenuIndex(index))
        return 0;
    if (index == 0) {
        m_items.front().caption.clear();
        return 0;
    }
    for (auto i = static_cast<std::size_t>(index) + 1; i < m_items.size(); ++i) {
        m_items[i - 1].caption = m_items[i].caption;
        m_items[i - 1].key = m_items[i].key;
    }
    m_items.pop_back();
    // The default must keep naming an existing item, or the menu would mark nothing.
    if (!IsValidMenuIndex(m_defaultIndex))
        m_defaultIndex = 0;
    return 0;
}

void SysTrayModel::EnableMenuItem(std::int32_t index, bool enabled)
{
    if (IsValidMenuIndex(index))
        m_items[static_cast<std::size_t>(index)].enabled = enabled;
}

bool SysTrayModel::IsValidMenuIndex(std::int32_t index) const
{
    return index >= 0 && static_cast<std::size_t>(index) < m_items.size();
}

void SysTrayModel::setDefaultMenuIndex(std::int32_t index)
{
    m_defaultIndex = IsValidMenuIndex(index) ? index : 0;
}

TrayEvent decodeTrayMouseMessage(std::int64_t message)
{
    struct Code
    {
        std::int64_t message;
        TrayEvent event;
    };
    static constexpr Code kCodes[] = {
        {512, {TrayEventKind::MouseMove, 0}},   {513, {TrayEventKind::MouseDown, 1}},
        {514, {TrayEventKind::MouseUp, 1}},     {515, {TrayEventKind::DoubleClick, 1}},
        {516, {TrayEventKind::MouseDown, 2}},   {517, {TrayEventKind::MouseUp, 2}},
        {518, {TrayEventKind::DoubleClick, 2}},
    };
    for (const auto& code : kCodes) {
        if (message == code.message)
            return code.event;
    }
    return {};
}

TrayEvent decodeTrayNotification(std::int64_t xTwips, int buttonState)
{
    // 15 twips per pixel at 96 dpi, 12 at 120 dpi; no code matches at both scales.
    for (const std::int64_t twipsPerPixel : {15, 12}) {
        if (xTwips % twipsPerPixel == 0) {
            if (const TrayEvent event = decodeTrayMouseMessage(xTwips / twipsPerPixel);
                event.kind != TrayEventKind::None)
                return event;
        }
    }
    switch (buttonState) {
    case 0:
        return {TrayEventKind::MouseMove, 0};
    case 1:
        return {TrayEventKind::DoubleClick, 1};
    case 2:
        return {TrayEventKind::MouseDown, 2};
    default:
        return {};
    }
}

} // namespace quelvo
