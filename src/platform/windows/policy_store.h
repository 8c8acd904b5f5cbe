#pragma once

#include "platform/settings.h"
#include "platform/windows/locations.h"
#include "schedule/policy_reader.h"

#include <string>

namespace quelvo {

/// The administrator's policy on Windows: the values under HKLM\Software\Policies\Quelvo, where Group
/// Policy puts them, composed with the machine settings. Read afresh each time, so that a change
/// applies without a restart.
class PolicyStore final
{
public:
    /// `place.root` is the key that holds the policy's "Quelvo" key (machinePolicyPlace).
    PolicyStore(const RegistryPlace& place, const Settings& machineSettings);

    /// The policy in effect now. A missing key is every default without a problem; a key that cannot
    /// be read is one problem, and every default.
    [[nodiscard]] PolicyReading read() const;

    /// Where the policy is read from, for messages: the key's full name.
    [[nodiscard]] const std::string& place() const { return m_name; }

private:
    RegistryHive m_hive;
    std::string m_path;
    std::string m_name;
    const Settings& m_machineSettings;
};

} // namespace quelvo
