#pragma once

#include "platform/exit_request.h"

#include <cstdint>
#include <functional>

namespace quelvo {

/// Exit requests of a service through InitiateShutdownW, for the whole machine with nobody's
/// session to end them from: a restart for kExitReboot, else a power-off; every session is ended,
/// since the service's own countdown was the warning; kExitForce also closes programs that would
/// hold the shutdown up. The reason is planned. The call itself is replaceable so tests never make
/// a real request.
class InitiateShutdownRequester final : public ExitRequester
{
public:
    /// Takes InitiateShutdownW's flags and reason; returns its error code (ERROR_SUCCESS when made).
    using ShutdownCall = std::function<std::uint32_t(std::uint32_t flags, std::uint32_t reason)>;

    /// The real InitiateShutdownW, for this machine, without a grace period.
    static ShutdownCall system();

    explicit InitiateShutdownRequester(ShutdownCall call = system());
    ExitResult requestExit(std::int32_t flags) override;

private:
    ShutdownCall m_call;
};

} // namespace quelvo
