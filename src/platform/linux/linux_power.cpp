#include "platform/linux/linux_power.h"

#include <cstring>
#include <unistd.h>

namespace quelvo {

std::optional<OsVersion> LinuxVersionQuery::query() const
{
    return std::nullopt;
}

OsCall<PrivilegeId> LinuxPrivileges::lookupPrivilegeValue(const std::string& /*name*/)
{
    return {PrivilegeId{}, 0};
}

OsCall<OsHandle> LinuxPrivileges::currentProcess()
{
    return {static_cast<OsHandle>(::getpid()), 0};
}

OsCall<OsHandle> LinuxPrivileges::openProcessToken(OsHandle process, std::uint32_t /*access*/)
{
    return {process, 0};
}

OsCall<bool> LinuxPrivileges::adjustTokenPrivileges(OsHandle /*token*/, PrivilegeId /*privilege*/,
                                                    std::uint32_t /*attributes*/)
{
    return {true, 0};
}

void LinuxPrivileges::closeHandle(OsHandle /*token*/)
{}

std::string LinuxSystemMessages::messageText(std::uint32_t code) const
{
    if (code == 0)
        return {};
    char buffer[256] = {};
    // The GNU strerror_r may return a static text instead of filling the buffer.
    const char* text = ::strerror_r(static_cast<int>(code), buffer, sizeof buffer);
    const std::string message = text != nullptr ? text : "";
    // glibc invents "Unknown error N" for codes it has no text for; that is no text.
    return message.starts_with("Unknown error") ? std::string() : message;
}

} // namespace quelvo
