#pragma once

#include "platform/system_name.h"

namespace quelvo {

/// The system's name from the version RtlGetVersion reports, which no manifest bends (unlike
/// GetVersionEx, whose view the family table wants).
class WindowsSystemName final : public SystemName
{
public:
    [[nodiscard]] std::string displayName() const override;
};

} // namespace quelvo
