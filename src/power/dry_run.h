#pragma once

#include "platform/exit_request.h"
#include "platform/process_starter.h"

#include <functional>
#include <string>

namespace quelvo {

/// Prints one line of a dry run; the line comes without its end.
using DryRunPrinter = std::function<void(const std::string& line)>;

/// Starts nothing: prints `power: run "<command line>" show <n>` and reports success.
class DryRunProcessStarter final : public ProcessStarter
{
public:
    explicit DryRunProcessStarter(DryRunPrinter print);
    StartResult start(const std::string& commandLine, int showWindow) override;

private:
    DryRunPrinter m_print;
};

/// Requests nothing: prints `power: ShutdownSystem <flags>` and reports it accepted.
class DryRunExitRequester final : public ExitRequester
{
public:
    explicit DryRunExitRequester(DryRunPrinter print);
    ExitResult requestExit(std::int32_t flags) override;

private:
    DryRunPrinter m_print;
};

} // namespace quelvo
