#pragma once

#include <string>
#include <string_view>

namespace quelvo {

/// The title of every input error.
inline constexpr std::string_view kErrorTitle = "Error!";
/// The title of the mode-switch warnings and of the "Delete All" question.
inline constexpr std::string_view kWarningTitle = "Warning!";

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
