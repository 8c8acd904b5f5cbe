#include "platform/windows/machine_link.h"

namespace quelvo {

namespace {

constexpr const char* kNoService = "no machine service runs here";

} // namespace

void SystemMachineLink::listen(MachineEvents /*events*/)
{
    // Nothing to hear from.
}

std::string SystemMachineLink::cancel()
{
    return kNoService;
}

std::string SystemMachineLink::postpone()
{
    return kNoService;
}

std::string SystemMachineLink::skip()
{
    return kNoService;
}

} // namespace quelvo
