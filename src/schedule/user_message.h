#pragma once

#include <string>

namespace quelvo {

/// The icon of a modal message box.
enum class MessageIcon { Stop, Information };

/// A modal message with an OK button, decided by the logic and shown by the window.
struct UserMessage
{
    std::string title;
    std::string text;
    MessageIcon icon = MessageIcon::Information;

    bool operator==(const UserMessage&) const = default;
};

} // namespace quelvo
