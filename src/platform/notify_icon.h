#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace quelvo {

/// Which parts of the icon record a modify request changes.
inline constexpr std::uint32_t kNotifyMessage = 1;
inline constexpr std::uint32_t kNotifyIcon = 2;
inline constexpr std::uint32_t kNotifyTip = 4;
/// The balloon: its heading, text and picture (an empty text takes a shown balloon away).
inline constexpr std::uint32_t kNotifyInfo = 16;

/// The balloon's picture: the information sign.
inline constexpr std::uint32_t kNotifyInfoIcon = 1;

/// What the icon's notification message carries when the user clicks its balloon.
inline constexpr std::uint32_t kNotifyBalloonClick = 0x405;

/// The mouse message the icon's notifications arrive as.
inline constexpr std::uint32_t kNotifyCallbackMessage = 512;

/// Size of the tip field, NUL included: the tip holds at most 63 characters of text.
inline constexpr std::size_t kNotifyTipField = 64;
/// Sizes of the balloon's heading and text fields, NUL included.
inline constexpr std::size_t kNotifyInfoTitleField = 64;
inline constexpr std::size_t kNotifyInfoField = 256;

/// Everything the notification area knows about the program's icon.
struct NotifyIconData
{
    std::uint32_t identifier = 0;
    std::uint32_t flags = 0;
    std::uint32_t callbackMessage = kNotifyCallbackMessage;
    std::uint32_t icon = 0;
    std::array<char, kNotifyTipField> tip{};
    std::array<char, kNotifyInfoTitleField> infoTitle{};
    std::array<char, kNotifyInfoField> info{};
    std::uint32_t infoFlags = 0;

    /// The tip text: the field up to its first NUL, or the whole field when there is none.
    [[nodiscard]] std::string tipText() const { return {tip.begin(), std::find(tip.begin(), tip.end(), '\0')}; }
};

/// The notification area of the desktop: shows, changes and removes one icon.
class NotifyIcon
{
public:
    virtual ~NotifyIcon() = default;

    /// Puts the icon into the notification area.
    virtual void add(const NotifyIconData& data) = 0;
    /// Changes the parts of the shown icon that `flags` names (kNotifyIcon, kNotifyTip, kNotifyInfo).
    virtual void modify(const NotifyIconData& data, std::uint32_t flags) = 0;
    /// Takes the icon out of the notification area.
    virtual void remove(const NotifyIconData& data) = 0;
};

} // namespace quelvo
