#include "platform/linux/policy_store.h"

namespace quelvo {

namespace {

// An administrator's file is short: anything larger is no policy anybody wrote by hand.
constexpr std::int64_t kMaxPolicyBytes = std::int64_t{1} * 1024 * 1024;

} // namespace

PolicyStore::PolicyStore(const FileSystem& fs, std::string filePath, const Settings& machineSettings)
    : m_fs(fs), m_path(std::move(filePath)), m_machineSettings(machineSettings)
{}

PolicyReading PolicyStore::read() const
{
    const ReadResult file = m_fs.read(m_path, kMaxPolicyBytes);
    PolicyReading reading;
    if (file.bytes)
        reading = readPolicyFile(*file.bytes);
    else if (!file.missing())
        reading.problems.push_back({0, {}, file.io.error + "; none of its keys apply"});
    applyMachineSettings(reading, m_machineSettings);
    return reading;
}

} // namespace quelvo
