#pragma once

#include "platform/privileges.h"
#include "platform/system_messages.h"
#include "platform/version_query.h"

namespace quelvo {

/// Linux has no Windows version record: the query always fails, so the family is "unknown".
class LinuxVersionQuery final : public VersionQuery
{
public:
    [[nodiscard]] std::optional<OsVersion> query() const override;
};

/// Linux has no per-process shutdown privilege to enable: logind and polkit decide when the
/// request is made. Every step succeeds without touching anything.
class LinuxPrivileges final : public PrivilegeLookup, public TokenOperations
{
public:
    OsCall<PrivilegeId> lookupPrivilegeValue(const std::string& name) override;
    OsCall<OsHandle> currentProcess() override;
    OsCall<OsHandle> openProcessToken(OsHandle process, std::uint32_t access) override;
    OsCall<bool> adjustTokenPrivileges(OsHandle token, PrivilegeId privilege, std::uint32_t attributes) override;
    void closeHandle(OsHandle token) override;
};

/// The C library's texts for errno values.
class LinuxSystemMessages final : public SystemMessages
{
public:
    [[nodiscard]] std::string messageText(std::uint32_t code) const override;
};

} // namespace quelvo
