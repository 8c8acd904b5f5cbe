#pragma once

#include "schedule/policy.h"
#include "schedule/policy_table.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quelvo {

class Settings;

/// Where a key's value in effect came from.
enum class PolicyOrigin {
    Default,  // nobody set it
    File,     // policy.ini
    Registry, // HKLM\Software\Policies\Quelvo
    Settings, // the machine settings' own key, which the policy left unset
};

/// The name quelvoctl shows for an origin: "default", "file", "registry", "settings".
std::string_view policyOriginName(PolicyOrigin origin);

/// Something wrong with the policy as it is stored, in plain words. The value it concerns counts as not set.
struct PolicyProblem
{
    std::size_t line = 0; // the line of policy.ini; 0 where there is none (the registry, the whole file)
    std::string key;      // the key as written; empty where the problem is no one key's
    std::string reason;

    bool operator==(const PolicyProblem&) const = default;
};

/// The policy in effect, what was wrong with it as stored, and where each value came from.
struct PolicyReading
{
    Policy policy;
    std::vector<PolicyProblem> problems;
    std::array<PolicyOrigin, kPolicyKeyCount> origins{}; // by PolicyKey

    [[nodiscard]] PolicyOrigin origin(PolicyKey key) const { return origins[static_cast<std::size_t>(key)]; }
};

/// A registry value under the policy's key: a REG_DWORD, a REG_SZ, or of any other type.
struct PolicyRegistryValue
{
    std::string name;
    std::variant<std::monostate, std::uint32_t, std::string> data;
};

/// The policy that policy.ini's text sets in its [policy] section. Keys are matched without regard to
/// letter case; of a key set twice the last line applies. Anything that cannot be used is a problem,
/// in the order of the lines, and a value that cannot be used counts as not set.
PolicyReading readPolicyFile(std::string_view text);

/// The policy that the values under the registry's policy key set: booleans and numbers as
/// REG_DWORD (1 and 0 for booleans), holidays as REG_SZ.
PolicyReading readPolicyRegistry(const std::vector<PolicyRegistryValue>& values);

/// The holidays a text names ("2026-12-24, 2026-12-24..2027-01-06"); the reason when it cannot be read.
std::variant<std::vector<HolidayRange>, std::string> parseHolidays(std::string_view text);

/// Fills what the policy left to the machine settings: `warn` and `postpone_minutes`, where the
/// administrator did not set them, come from the machine settings' own `warn` and `postpone` keys
/// where root set them, so that an existing installation keeps its choice.
void applyMachineSettings(PolicyReading& reading, const Settings& machineSettings);

/// A policy problem as quelvoctl and the services print it: "PLACE:LINE: key: reason", the line
/// and the key left out where there are none.
std::string policyProblemLine(std::string_view place, const PolicyProblem& problem);

} // namespace quelvo
