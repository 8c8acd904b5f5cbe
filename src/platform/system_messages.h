#pragma once

#include <cstdint>
#include <string>

namespace quelvo {

/// The operating system's own texts for its error codes.
class SystemMessages
{
public:
    virtual ~SystemMessages() = default;

    /// The message text of a system error code exactly as the system words it; empty when it has none.
    [[nodiscard]] virtual std::string messageText(std::uint32_t code) const = 0;
};

} // namespace quelvo
