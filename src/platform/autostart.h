#pragma once

#include "platform/file_system.h"

#include <string>
#include <string_view>

namespace quelvo {

/// The entry that starts the program with the user's session.
class Autostart
{
public:
    virtual ~Autostart() = default;

    /// The stored command, or `def` when the entry cannot be read.
    [[nodiscard]] virtual std::string GetRegString(std::string_view def) const = 0;
    /// Stores the command; an empty text keeps the entry but switches it off.
    virtual IoResult SetRegString(std::string_view command) = 0;
};

} // namespace quelvo
