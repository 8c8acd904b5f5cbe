#pragma once

#include <string>

namespace quelvo {

/// One running copy of the program per user.
class SingleInstance
{
public:
    virtual ~SingleInstance() = default;

    enum class State {
        Only,            // this copy holds the lock until the process ends
        AnotherCopyRuns, // the user's other copy holds it
        NoLock,          // no lock could be had at all; lockError() says why
    };

    virtual State acquire() = 0;
    /// Why the last acquire() gave NoLock; empty otherwise.
    [[nodiscard]] virtual std::string lockError() const = 0;
};

} // namespace quelvo
