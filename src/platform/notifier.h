#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo {

/// The keys a notification's choices come back as.
inline constexpr std::string_view kNotifyPostpone = "postpone";
inline constexpr std::string_view kNotifySkip = "skip";
/// The notification itself was clicked, not one of its choices.
inline constexpr std::string_view kNotifyClicked = "clicked";

/// One choice offered on a notification: the key it comes back as and the caption shown.
struct NotificationAction
{
    std::string key;
    std::string caption;
    bool operator==(const NotificationAction&) const = default;
};

/// A desktop notification: a heading, a line of text and at most two choices.
struct Notification
{
    std::string title;
    std::string body;
    std::vector<NotificationAction> actions;
};

/// Called with the key of the choice the user made (kNotifyClicked for a click on the notification).
using NotificationHandler = std::function<void(std::string_view key)>;

/// The desktop's notifications: shows one without taking the focus, and passes on what the user chose.
class Notifier
{
public:
    virtual ~Notifier() = default;

    /// Whether the desktop shows notifications here (on Linux: with their choices); where it does not,
    /// the caller shows the text and the choices itself.
    [[nodiscard]] virtual bool available() const = 0;
    /// Shows the notification in place of the one shown before; `onAction` hears the user's choice.
    /// False when it could not be shown, so that the caller shows it another way.
    virtual bool show(const Notification& notification, NotificationHandler onAction) = 0;
    /// Takes the shown notification away, if there is one; its choices are not heard after this.
    virtual void close() = 0;
};

} // namespace quelvo
