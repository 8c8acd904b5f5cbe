#include "power/shutdown_system.h"

namespace quelvo {

ShutdownError::ShutdownError(std::uint32_t number, std::string source, const std::string& description)
    : std::runtime_error(description), m_number(number), m_source(std::move(source))
{}

std::string errorSourceFor(std::string_view executableFileName)
{
    std::string_view name = executableFileName;
    if (const auto slash = name.find_last_of("/\\"); slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    // A leading dot names a hidden file, not an extension.
    if (const auto dot = name.find_last_of('.'); dot != std::string_view::npos && dot > 0)
        name = name.substr(0, dot);
    return std::string(name) + ".mShutDown";
}

ShutdownService::ShutdownService(VersionProbe& probe, ShutdownPlatform platform, std::string_view executableFileName)
    : m_probe(probe), m_platform(platform), m_source(errorSourceFor(executableFileName))
{}

bool ShutdownService::ShutdownSystem(std::int32_t flags)
{
    if (flags < 0 || flags > 31)
        raise(kErrInvalidFlags, "Invalid parameter to ShutdownSystem: " + std::to_string(flags));
    if (m_probe.IsWindowsNT() && !EnableShutdownPrivilege())
        return false;
    const ExitResult result = m_platform.exit.requestExit(flags);
    if (result.accepted)
        return true;
    // A system that explains its refusal itself (logind) gives its own words.
    const std::string text = result.message.empty() ? SystemErrorText(result.errorCode) : result.message;
    raise(kErrExitFailed, "ShutdownSystem failed: " + text);
}

bool ShutdownService::EnableShutdownPrivilege()
{
    const auto id = m_platform.privileges.lookupPrivilegeValue(std::string(kShutdownPrivilegeName));
    if (!id.value)
        raisePrivilegeError(kErrNoPrivilegeValue, "Can't find the SE_SHUTDOWN_NAME privilege value.", id.lastError);
    const auto process = m_platform.privileges.currentProcess();
    if (!process.value || *process.value == 0)
        raisePrivilegeError(kErrNoCurrentProcess, "Can't determine the current process.", process.lastError);
    const auto token = m_platform.tokens.openProcessToken(*process.value, kTokenAdjustAndQuery);
    if (!token.value)
        raisePrivilegeError(kErrNoPrivilege, "You do not have the privileges to shutdown this system.",
                            token.lastError);
    const auto adjusted = m_platform.tokens.adjustTokenPrivileges(*token.value, *id.value, kPrivilegeEnabled);
    m_platform.tokens.closeHandle(*token.value);
    if (!adjusted.value || !*adjusted.value)
        raisePrivilegeError(kErrNoPrivilege, "You do not have the privileges to shutdown this system.",
                            adjusted.lastError);
    return true;
}

std::string ShutdownService::SystemErrorText(std::uint32_t code) const
{
    return m_platform.messages.messageText(code);
}

void ShutdownService::raise(std::uint32_t number, const std::string& description) const
{
    throw ShutdownError(number, m_source, description);
}

void ShutdownService::raisePrivilegeError(std::uint32_t number, std::string_view reason, std::uint32_t lastError) const
{
    raise(number, "Can't enable shutdown: " + std::string(reason) + " [" + SystemErrorText(lastError) + "]");
}

} // namespace quelvo
