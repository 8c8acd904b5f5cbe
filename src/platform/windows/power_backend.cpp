#include "platform/windows/power_backend.h"

#include "platform/windows/exit_windows_requester.h"
#include "platform/windows/folder_process_starter.h"
#include "platform/windows/locations.h"
#include "platform/windows/windows_power.h"

namespace quelvo {

namespace {

class WindowsPowerPlatform final : public PowerPlatform
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
    std::unique_ptr<ExitRequester> makeExitRequester() override { return std::make_unique<ExitWindowsRequester>(); }

private:
    WindowsVersionQuery m_version;
    WindowsPrivileges m_privileges;
    WindowsSystemMessages m_messages;
};

} // namespace

std::unique_ptr<PowerBackend> makePowerBackend(bool dryRun)
{
    return std::make_unique<PowerBackend>(std::make_unique<WindowsPowerPlatform>(), dryRun, standardOutputLines(),
                                          executableFileName());
}

std::string executableFileName()
{
    const std::string path = executablePath();
    return path.empty() ? std::string("quelvo.exe") : path.substr(path.find_last_of("\\/") + 1);
}

} // namespace quelvo
