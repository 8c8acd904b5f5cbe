#pragma once

namespace quelvo {

/// One running copy of the program per user.
class SingleInstance
{
public:
    virtual ~SingleInstance() = default;

    /// True when this copy is the only one; it stays so until the process ends.
    virtual bool acquire() = 0;
};

} // namespace quelvo
