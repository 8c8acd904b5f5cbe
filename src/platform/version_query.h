#pragma once

#include <cstdint>
#include <optional>

namespace quelvo {

/// The numbers of the operating system's version record that name its family.
struct OsVersion
{
    std::uint32_t platformId = 0;
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
};

/// Asks the operating system for its version numbers.
class VersionQuery
{
public:
    virtual ~VersionQuery() = default;

    /// The version numbers, or nullopt when the system cannot tell them.
    [[nodiscard]] virtual std::optional<OsVersion> query() const = 0;
};

} // namespace quelvo
