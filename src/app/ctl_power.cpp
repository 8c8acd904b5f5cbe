#include "app/ctl.h"

namespace quelvo {

std::vector<CtlCommand> powerCommands()
{
    return {};
}

} // namespace quelvo
