#include "platform/windows/windows_power.h"

#include <windows.h>

namespace quelvo {

namespace {

HANDLE toHandle(OsHandle handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

OsHandle fromHandle(HANDLE handle)
{
    return reinterpret_cast<OsHandle>(handle);
}

} // namespace

std::optional<OsVersion> WindowsVersionQuery::query() const
{
    OSVERSIONINFOA info{};
    static_assert(sizeof info == 148, "the first form of the version record");
    info.dwOSVersionInfoSize = sizeof info;
    // Deprecated for new code because it reports the manifest's view; that view is what the
    // family table is about.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    const BOOL ok = ::GetVersionExA(&info);
#pragma GCC diagnostic pop
    if (ok == FALSE)
        return std::nullopt;
    return OsVersion{info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

OsCall<PrivilegeId> WindowsPrivileges::lookupPrivilegeValue(const std::string& name)
{
    LUID luid{};
    if (::LookupPrivilegeValueA(nullptr, name.c_str(), &luid) == FALSE)
        return {std::nullopt, ::GetLastError()};
    return {PrivilegeId{luid.LowPart, static_cast<std::uint32_t>(luid.HighPart)}, 0};
}

OsCall<OsHandle> WindowsPrivileges::currentProcess()
{
    // The pseudo handle: never zero, never to be closed.
    return {fromHandle(::GetCurrentProcess()), 0};
}

OsCall<OsHandle> WindowsPrivileges::openProcessToken(OsHandle process, std::uint32_t access)
{
    HANDLE token = nullptr;
    if (::OpenProcessToken(toHandle(process), access, &token) == FALSE)
        return {std::nullopt, ::GetLastError()};
    return {fromHandle(token), 0};
}

OsCall<bool> WindowsPrivileges::adjustTokenPrivileges(OsHandle token, PrivilegeId privilege, std::uint32_t attributes)
{
    TOKEN_PRIVILEGES wanted{};
    wanted.PrivilegeCount = 1;
    wanted.Privileges[0].Luid.LowPart = privilege.low;
    wanted.Privileges[0].Luid.HighPart = static_cast<LONG>(privilege.high);
    wanted.Privileges[0].Attributes = attributes;
    ::SetLastError(ERROR_SUCCESS);
    const BOOL ok = ::AdjustTokenPrivileges(toHandle(token), FALSE, &wanted, 0, nullptr, nullptr);
    const DWORD error = ::GetLastError();
    // Success with ERROR_NOT_ALL_ASSIGNED means the token does not hold the privilege at all.
    if (ok == FALSE || error != ERROR_SUCCESS)
        return {false, error};
    return {true, 0};
}

void WindowsPrivileges::closeHandle(OsHandle token)
{
    if (token != 0)
        ::CloseHandle(toHandle(token));
}

std::string WindowsSystemMessages::messageText(std::uint32_t code) const
{
    if (code == 0)
        return {};
    char buffer[1024] = {};
    const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                     MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, sizeof buffer, nullptr);
    std::string text(buffer, n);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

} // namespace quelvo
