#include "app/ctl.h"

namespace quelvo {

std::vector<CtlCommand> settingsCommands()
{
    return {};
}

} // namespace quelvo
