#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quelvo {

/// What the running system calls itself, for the user to read ("Debian GNU/Linux 12 (bookworm)",
/// "Windows 11"). Nothing is decided by it: the version probe's family chooses the power commands.
class SystemName
{
public:
    virtual ~SystemName() = default;

    /// The name; empty when the system does not say.
    [[nodiscard]] virtual std::string displayName() const = 0;
};

/// The PRETTY_NAME of an os-release text, without its quotes and escapes; empty when it has none.
std::string osReleasePrettyName(std::string_view text);

/// The version numbers Windows really runs at, whatever a program's manifest declares.
struct WindowsRelease
{
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t build = 0;
};

/// What Windows is called at those numbers, from "Windows Vista" to "Windows 11"; empty for others.
std::string windowsReleaseName(const WindowsRelease& release);

} // namespace quelvo
