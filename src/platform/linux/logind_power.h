#pragma once

#include "platform/exit_request.h"

#include <systemd/sd-bus.h>

namespace quelvo {

/// Power-off and reboot requests of a service running as root, to logind on the system bus. Not
/// forced (no kExitForce), logind is asked to honour block inhibitors even for root; forced, it
/// ignores them. A logind older than its *WithFlags methods gets the old calls, which let root
/// past inhibitors, so the inhibitors are looked at first. Logging off is refused: a service has
/// no session.
class LogindPower final : public ExitRequester
{
public:
    explicit LogindPower(sd_bus* bus);

    ExitResult requestExit(std::int32_t flags) override;

private:
    sd_bus* m_bus;
};

} // namespace quelvo
