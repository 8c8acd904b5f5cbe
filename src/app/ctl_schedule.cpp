#include "app/ctl.h"

namespace quelvo {

std::vector<CtlCommand> scheduleCommands()
{
    return {};
}

} // namespace quelvo
