#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quelvo {

/// A locally unique identifier of a privilege, as two 32-bit halves.
struct PrivilegeId
{
    std::uint32_t low = 0;
    std::uint32_t high = 0;

    bool operator==(const PrivilegeId&) const = default;
};

/// An opaque handle of a process or an access token; zero means none.
using OsHandle = std::uintptr_t;

/// The result of a platform call: a value on success, else the last-error code right after it.
template <typename T> struct OsCall
{
    std::optional<T> value;
    std::uint32_t lastError = 0;
};

/// Looks up privileges and the current process, the first steps of enabling a privilege.
class PrivilegeLookup
{
public:
    virtual ~PrivilegeLookup() = default;

    /// The identifier of a named privilege on the local system.
    virtual OsCall<PrivilegeId> lookupPrivilegeValue(const std::string& name) = 0;
    /// The handle of the current process; zero when it cannot be determined.
    virtual OsCall<OsHandle> currentProcess() = 0;
};

/// Opens a process's access token, enables one privilege in it and closes it.
class TokenOperations
{
public:
    virtual ~TokenOperations() = default;

    /// Opens the token of the process with the given access mask.
    virtual OsCall<OsHandle> openProcessToken(OsHandle process, std::uint32_t access) = 0;
    /// Sets the attributes of one privilege in the token; the value is true on success.
    virtual OsCall<bool> adjustTokenPrivileges(OsHandle token, PrivilegeId privilege, std::uint32_t attributes) = 0;
    /// Releases the token handle.
    virtual void closeHandle(OsHandle token) = 0;
};

} // namespace quelvo
