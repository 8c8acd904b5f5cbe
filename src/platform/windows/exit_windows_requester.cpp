#include "platform/windows/exit_windows_requester.h"

#include <windows.h>

namespace quelvo {

ExitWindowsRequester::ExitCall ExitWindowsRequester::system()
{
    return [](std::uint32_t flags, std::uint32_t reason) { return ::ExitWindowsEx(flags, reason) != FALSE ? 1 : 0; };
}

ExitWindowsRequester::ExitWindowsRequester(ExitCall call) : m_call(std::move(call))
{}

ExitResult ExitWindowsRequester::requestExit(std::int32_t flags)
{
    constexpr DWORD kReason = SHTDN_REASON_MAJOR_OTHER | SHTDN_REASON_MINOR_OTHER | SHTDN_REASON_FLAG_PLANNED;
    ::SetLastError(ERROR_SUCCESS);
    if (m_call(static_cast<std::uint32_t>(flags), kReason) != 0)
        return {true, 0, {}};
    // The message is left to the system's text for the code.
    return {false, static_cast<std::uint32_t>(::GetLastError()), {}};
}

} // namespace quelvo
