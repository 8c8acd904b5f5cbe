#pragma once

#include "platform/privileges.h"
#include "platform/system_messages.h"
#include "platform/version_query.h"

namespace quelvo {

/// The running system's version record from GetVersionExA (the 148-byte first form). Without a
/// manifest entry for newer systems, Windows 8.1 and later report 6.2.
class WindowsVersionQuery final : public VersionQuery
{
public:
    [[nodiscard]] std::optional<OsVersion> query() const override;
};

/// The shutdown privilege through the process's access token.
class WindowsPrivileges final : public PrivilegeLookup, public TokenOperations
{
public:
    OsCall<PrivilegeId> lookupPrivilegeValue(const std::string& name) override;
    OsCall<OsHandle> currentProcess() override;
    OsCall<OsHandle> openProcessToken(OsHandle process, std::uint32_t access) override;
    OsCall<bool> adjustTokenPrivileges(OsHandle token, PrivilegeId privilege, std::uint32_t attributes) override;
    void closeHandle(OsHandle token) override;
};

/// The system's texts for its error codes (FormatMessageA), without the trailing line end.
class WindowsSystemMessages final : public SystemMessages
{
public:
    [[nodiscard]] std::string messageText(std::uint32_t code) const override;
};

} // namespace quelvo
