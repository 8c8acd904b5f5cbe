#include "power/version_probe.h"

namespace quelvo {

std::string windowsVersionNameFor(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor)
{
    if (platformId == kPlatformWin32Windows) {
        // The 9x line tells its members apart by the minor version alone.
        switch (minor) {
        case 0:
            return "Windows95";
        case 10:
            return "Windows98";
        case 90:
            return "WindowsME";
        default:
            return "";
        }
    }
    if (platformId == kPlatformWin32Nt) {
        switch (major) {
        case 3:
        case 4:
            return "WindowsNT";
        case 5:
            return minor == 0 ? "Windows2000" : minor == 1 ? "WindowsXP" : "Windows2000 or XP";
        case 6:
            return "Windows Vista";
        default:
            return "";
        }
    }
    return "unknown";
}

std::string windowsVersionNameFor(const std::optional<OsVersion>& version)
{
    const OsVersion v = version.value_or(OsVersion{});
    return windowsVersionNameFor(v.platformId, v.major, v.minor);
}

VersionProbe::VersionProbe(const VersionQuery& query) : m_query(query)
{}

std::string VersionProbe::GetWindowsVersionName() const
{
    return windowsVersionNameFor(m_query.query());
}

bool VersionProbe::IsWindowsNT()
{
    if (m_probed)
        return m_nt;
    const auto version = m_query.query();
    if (!version)
        return m_nt;
    m_nt = version->platformId == kPlatformWin32Nt;
    m_probed = true;
    return m_nt;
}

} // namespace quelvo
