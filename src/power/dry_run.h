#pragma once

#include "platform/exit_request.h"
#include "platform/process_starter.h"

#include <iosfwd>

namespace quelvo {

/// Starts nothing: prints `power: run "<command line>" show <n>` and reports success.
class DryRunProcessStarter final : public ProcessStarter
{
public:
    explicit DryRunProcessStarter(std::ostream& out);
    StartResult start(const std::string& commandLine, int showWindow) override;

private:
    std::ostream& m_out;
};

/// Requests nothing: prints `power: ShutdownSystem <flags>` and reports it accepted.
class DryRunExitRequester final : public ExitRequester
{
public:
    explicit DryRunExitRequester(std::ostream& out);
    ExitResult requestExit(std::int32_t flags) override;

private:
    std::ostream& m_out;
};

/// True when QUELVO_DRY_RUN is "1".
bool dryRunFromEnvironment();

} // namespace quelvo
