#include "platform/windows/system_name.h"

#include <windows.h>
// after windows.h, which it needs
#include <winternl.h>

extern "C" NTSYSAPI NTSTATUS NTAPI RtlGetVersion(PRTL_OSVERSIONINFOW info);

namespace quelvo {

std::string WindowsSystemName::displayName() const
{
    RTL_OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (::RtlGetVersion(&info) < 0)
        return {};
    return windowsReleaseName({info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber});
}

} // namespace quelvo
