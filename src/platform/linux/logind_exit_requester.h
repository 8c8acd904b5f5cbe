#pragma once

#include "platform/exit_request.h"

#include <string>

namespace quelvo {

/// Exit requests through systemd-logind on the system bus (DBUS_SYSTEM_BUS_ADDRESS is honoured).
/// Reboot flag: a reboot; shut-down or power-off flag: a power-off; neither: the session ends.
/// Plain requests respect every block inhibitor on shutdown (the caller's own applications' too,
/// which logind itself would let pass) and name the blockers when refused. A force bit asks logind
/// to ignore them; where polkit does not permit that, the plain request is made instead.
/// Never asks for interactive authorization: a scheduled action must not wait for a password.
class LogindExitRequester final : public ExitRequester
{
public:
    /// sessionId: the logind session a log-off ends; empty means the caller's own session.
    explicit LogindExitRequester(std::string sessionId);
    ExitResult requestExit(std::int32_t flags) override;

private:
    std::string m_sessionId;
};

/// The session of this process as the login manager set it (XDG_SESSION_ID), or empty.
std::string currentSessionId();

} // namespace quelvo
