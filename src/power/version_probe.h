#pragma once

#include "platform/version_query.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quelvo {

/// Platform ids of the version record.
inline constexpr std::uint32_t kPlatformWin32Windows = 1;
inline constexpr std::uint32_t kPlatformWin32Nt = 2;

/// The family name for a platform id and major and minor version: one of the nine names or empty.
std::string windowsVersionNameFor(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor);

/// The family name for a query's answer; a failed query reads as all zeros, which is "unknown".
std::string windowsVersionNameFor(const std::optional<OsVersion>& version);

/// Names the running Windows family and answers whether it is an NT system.
/// Holds the NT answer once a query has succeeded; a failed query is asked again next time.
class VersionProbe final
{
public:
    explicit VersionProbe(const VersionQuery& query);

    /// The running family's `WindowsVersionName`; asks the system on every call.
    [[nodiscard]] std::string GetWindowsVersionName() const;
    /// True on the NT platform; asks the system until one query has succeeded.
    bool IsWindowsNT();

private:
    const VersionQuery& m_query;
    bool m_probed = false;
    bool m_nt = false;
};

} // namespace quelvo
