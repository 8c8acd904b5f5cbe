#pragma once

#include "platform/exit_request.h"
#include "platform/privileges.h"
#include "platform/system_messages.h"
#include "power/version_probe.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quelvo {

/// Error numbers of ShutdownSystem: the object-defined base plus an offset.
inline constexpr std::uint32_t kObjectErrorBase = 0x80040000U;
inline constexpr std::uint32_t kErrExitFailed = kObjectErrorBase + 1579;
inline constexpr std::uint32_t kErrNoPrivilegeValue = kObjectErrorBase + 1580;
inline constexpr std::uint32_t kErrNoCurrentProcess = kObjectErrorBase + 1581;
inline constexpr std::uint32_t kErrNoPrivilege = kObjectErrorBase + 1582;
inline constexpr std::uint32_t kErrInvalidFlags = kObjectErrorBase + 1583;

/// Token access mask for enabling a privilege: TOKEN_ADJUST_PRIVILEGES plus TOKEN_QUERY.
inline constexpr std::uint32_t kTokenAdjustAndQuery = 0x28;
/// Privilege attribute SE_PRIVILEGE_ENABLED.
inline constexpr std::uint32_t kPrivilegeEnabled = 2;
/// The privilege that allows shutting the system down.
inline constexpr std::string_view kShutdownPrivilegeName = "SeShutdownPrivilege";

/// The error ShutdownSystem and EnableShutdownPrivilege raise: number, source, description.
class ShutdownError final : public std::runtime_error
{
public:
    ShutdownError(std::uint32_t number, std::string source, const std::string& description);

    /// The error number, 0x80040000 plus the offset.
    [[nodiscard]] std::uint32_t number() const { return m_number; }
    /// The executable's name without extension followed by ".mShutDown".
    [[nodiscard]] const std::string& source() const { return m_source; }
    /// The description text.
    [[nodiscard]] std::string description() const { return what(); }

private:
    std::uint32_t m_number;
    std::string m_source;
};

/// The error source for an executable file name: the name without its extension plus ".mShutDown".
std::string errorSourceFor(std::string_view executableFileName);

/// What the system needs to log off, shut down or restart, given through the constructor.
struct ShutdownPlatform
{
    PrivilegeLookup& privileges;
    TokenOperations& tokens;
    ExitRequester& exit;
    const SystemMessages& messages;
};

/// Asks the operating system to exit, enabling the shutdown privilege first on NT systems.
class ShutdownService final
{
public:
    ShutdownService(VersionProbe& probe, ShutdownPlatform platform, std::string_view executableFileName);

    /// Makes the exit request for flags 0 to 31; true when accepted, else throws ShutdownError.
    bool ShutdownSystem(std::int32_t flags);
    /// Enables the shutdown privilege of this process; true when enabled, else throws ShutdownError.
    bool EnableShutdownPrivilege();
    /// The system's message text for an error code, or empty when it has none.
    [[nodiscard]] std::string SystemErrorText(std::uint32_t code) const;

private:
    [[noreturn]] void raise(std::uint32_t number, const std::string& description) const;
    [[noreturn]] void raisePrivilegeError(std::uint32_t number, std::string_view reason, std::uint32_t lastError) const;

    VersionProbe& m_probe;
    ShutdownPlatform m_platform;
    std::string m_source;
};

} // namespace quelvo
