#include "platform/windows/initiate_shutdown_requester.h"

#include "power/power_table.h"

#include <windows.h>

namespace quelvo {

InitiateShutdownRequester::ShutdownCall InitiateShutdownRequester::system()
{
    return [](std::uint32_t flags, std::uint32_t reason) {
        return static_cast<std::uint32_t>(::InitiateShutdownW(nullptr, nullptr, 0, flags, reason));
    };
}

InitiateShutdownRequester::InitiateShutdownRequester(ShutdownCall call) : m_call(std::move(call))
{}

ExitResult InitiateShutdownRequester::requestExit(std::int32_t flags)
{
    constexpr DWORD kReason = SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED;
    // Without SHUTDOWN_FORCE_OTHERS the call fails whenever anybody is logged on.
    DWORD shutdown = SHUTDOWN_FORCE_OTHERS;
    shutdown |= (flags & kExitReboot) != 0 ? SHUTDOWN_RESTART : SHUTDOWN_POWEROFF;
    if ((flags & kExitForce) != 0)
        shutdown |= SHUTDOWN_FORCE_SELF;
    const std::uint32_t error = m_call(shutdown, kReason);
    if (error == ERROR_SUCCESS)
        return {true, 0, {}};
    // The message is left to the system's text for the code.
    return {false, error, {}};
}

} // namespace quelvo
