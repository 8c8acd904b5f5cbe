#pragma once

#include "platform/exit_request.h"
#include "power/dry_run.h"
#include "schedule/history.h"
#include "schedule/machine_scheduler.h"
#include "schedule/policy_reader.h"

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quelvo {

/// The command line of a machine service (quelvod, quelvosvc).
struct ServiceOptions
{
    bool console = false; // in the foreground rather than under the system's service manager
    bool dryRun = false;  // also QUELVO_DRY_RUN=1
    std::string root;     // absolute; empty for the system's own places
};

/// A path made absolute against the current folder, as the system does it.
using AbsolutePath = std::string (*)(const std::string& path);

/// Reads `--dry-run`, `--root DIR` (made absolute with `absolute`) and, where `acceptsConsole`,
/// `--console`; `--help` prints `usage` and `--version` the program's name and version. The
/// options, or the exit status when the program is done with them (0 after help or version, 2
/// after a bad option).
std::variant<ServiceOptions, int> parseServiceOptions(const std::vector<std::string>& args, std::string_view program,
                                                      std::string_view usage, bool acceptsConsole,
                                                      AbsolutePath absolute);

/// How weighty a service's message is.
enum class ServiceLogLevel { Error, Notice, Info };

/// What a machine service does in the world, the same on every system: the dry run's lines, the
/// power request, the history in its folder and a message for each thing that happened. What
/// differs is where messages go and whom the service tells of warnings and countdowns.
class ServiceHooks : public MachineHooks
{
public:
    struct Parts
    {
        ExitRequester& power;
        HistoryFile& history;
        const Clock& clock;
        bool dryRun = false;
    };

    explicit ServiceHooks(Parts parts);

    void warn(const NextFiring& firing, const WarningNotice& notice) final;
    void countdownStarted(const std::string& line, bool reboot, int seconds) final;
    void countdownEnded(HistoryOutcome outcome, const std::string& who) final;
    PowerOutcome powerAction(bool reboot, bool forced) final;
    void record(const HistoryEntry& entry) final;
    void reportError(const std::string& text) final;

    /// The policy of `reading`, read from `place`. Its problems are logged as errors when they
    /// differ from the last reading's, so a bad policy is said once, not at each wake-up; each bad
    /// value has fallen back to its default.
    Policy adoptPolicy(const PolicyReading& reading, std::string_view place);

protected:
    /// Says one thing that happened; `entry` is the history entry it tells of, if any.
    virtual void log(ServiceLogLevel level, const std::string& message, const HistoryEntry* entry) = 0;
    /// Tells the people at the machine; nobody by default.
    virtual void announceWarning(const NextFiring& /*firing*/, const WarningNotice& /*notice*/) {}
    virtual void announceCountdown(const std::string& /*line*/, bool /*reboot*/, int /*seconds*/) {}
    virtual void announceEnded(HistoryOutcome /*outcome*/, const std::string& /*who*/) {}

private:
    Parts m;
    DryRunReporter m_reporter;
    std::vector<PolicyProblem> m_policyProblems;
};

} // namespace quelvo
