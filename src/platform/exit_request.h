#pragma once

#include <cstdint>
#include <string>

namespace quelvo {

/// Outcome of an exit request. On failure: the system's error code and, where the
/// system explains the refusal itself, its message.
struct ExitResult
{
    bool accepted = false;
    std::uint32_t errorCode = 0;
    std::string message;
};

/// Asks the operating system to log off, shut down or restart.
class ExitRequester
{
public:
    virtual ~ExitRequester() = default;

    /// Makes the request that the exit flags describe; returns once it is accepted or refused.
    virtual ExitResult requestExit(std::int32_t flags) = 0;
};

} // namespace quelvo
