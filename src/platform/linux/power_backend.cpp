#include "platform/linux/power_backend.h"

#include "platform/linux/folder_process_starter.h"
#include "platform/linux/linux_power.h"
#include "platform/linux/locations.h"
#include "platform/linux/logind_exit_requester.h"

#include <climits>
#include <unistd.h>

namespace quelvo {

namespace {

class LinuxPowerPlatform final : public PowerPlatform
{
public:
    const VersionQuery& version() override { return m_version; }
    PrivilegeLookup& privileges() override { return m_privileges; }
    TokenOperations& tokens() override { return m_privileges; }
    const SystemMessages& messages() override { return m_messages; }
    std::unique_ptr<ProcessStarter> makeProcessStarter() override
    {
        return std::make_unique<FolderProcessStarter>(executableFolder());
    }
    std::unique_ptr<ExitRequester> makeExitRequester() override
    {
        return std::make_unique<LogindExitRequester>(currentSessionId());
    }
    // Without the force bit logind's request respects inhibitors: "Forced shut down" would change nothing.
    [[nodiscard]] ForcedShutdownRequest forcedShutdownRequest() const override
    {
        return ForcedShutdownRequest::IgnoringInhibitors;
    }

private:
    LinuxVersionQuery m_version;
    LinuxPrivileges m_privileges;
    LinuxSystemMessages m_messages;
};

} // namespace

std::unique_ptr<PowerBackend> makePowerBackend(bool dryRun)
{
    return std::make_unique<PowerBackend>(std::make_unique<LinuxPowerPlatform>(), dryRun, standardOutputLines(),
                                          executableFileName());
}

std::string executableFileName()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return "quelvo";
    const std::string path(buffer, static_cast<std::size_t>(n));
    return path.substr(path.find_last_of('/') + 1);
}

} // namespace quelvo
