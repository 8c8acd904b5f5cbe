#pragma once

#include "platform/file_system.h"
#include "platform/settings.h"
#include "schedule/policy_reader.h"

#include <string>

namespace quelvo {

/// The administrator's policy on Linux: the [policy] section of policy.ini beside the machine
/// schedule (/etc/quelvo/policy.ini), composed with the machine settings. Read afresh each time, so
/// that a change applies without a restart.
class PolicyStore final
{
public:
    PolicyStore(const FileSystem& fs, std::string filePath, const Settings& machineSettings);

    /// The policy in effect now. A missing file is every default without a problem; a file that
    /// cannot be read is one problem, and every default.
    [[nodiscard]] PolicyReading read() const;

    /// Where the policy is read from, for messages.
    [[nodiscard]] const std::string& place() const { return m_path; }

private:
    const FileSystem& m_fs;
    std::string m_path;
    const Settings& m_machineSettings;
};

} // namespace quelvo
