#pragma once

#include "platform/machine_link.h"

namespace quelvo {

/// The link to the machine's service on Windows, where no such service runs yet: nothing is heard,
/// and every request says so.
class SystemMachineLink final : public MachineLink
{
public:
    void listen(MachineEvents events) override;
    std::string cancel() override;
    std::string postpone() override;
    std::string skip() override;
};

} // namespace quelvo
