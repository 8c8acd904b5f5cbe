#pragma once

#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/settings.h"
#include "platform/version_query.h"
#include "schedule/json_text.h"
#include "schedule/policy.h"
#include "schedule/policy_reader.h"

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo {

/// Exit codes of quelvoctl.
inline constexpr int kCtlOk = 0;
inline constexpr int kCtlNothing = 1; // ran fine, found nothing (for example: no event due)
inline constexpr int kCtlUsage = 2;   // bad command, option or input
inline constexpr int kCtlFailed = 3;  // a file or the output could not be read or written

/// The machine schedule's file system and settings, the folder of its events.ini and the
/// service's folder, where its history is.
struct MachineStores
{
    std::unique_ptr<FileSystem> fs;     // before the settings, which read through it
    std::unique_ptr<Settings> config;   // root's settings.ini
    std::unique_ptr<Settings> records;  // the service's records of firings and skips
    std::unique_ptr<Settings> settings; // what the commands read: root's settings with the records
    std::string folder;
    std::string stateFolder;
    std::string problem; // why the stores may not be used; empty when they may
};

/// The policy in effect and where it is kept (a file's path, a registry key's name).
struct PolicySource
{
    PolicyReading reading;
    std::string place;
};

/// Everything a quelvoctl command may use; tests build one over fakes.
struct CtlContext
{
    FileSystem& fs;
    Settings& settings;
    const Clock& clock;
    std::string folder; // where events.ini lives
    std::ostream& out;
    std::ostream& err;
    std::istream& in;
    bool interactive = false; // standard input is a terminal
    bool dryRun = true;
    const VersionQuery* versionQuery = nullptr; // this machine's version numbers; none reads as a failed query
    /// True when the output's last failed write found no reader: a closed pipe, which ends the
    /// output quietly. Where errno says EPIPE for it, none is needed.
    std::function<bool()> readerGone = nullptr;
    std::string historyFolder{}; // where the history lives
    /// The machine schedule's stores under a root folder (empty for the system's own); none where
    /// the system keeps no machine schedule.
    std::function<MachineStores(const std::string& root)> openMachine = nullptr;
    /// True when this process may change the machine schedule: its effective user is root.
    std::function<bool()> mayChangeMachine = nullptr;
    /// What the administrator lets users do; none lets them do all.
    std::function<Policy()> policy = nullptr;
    /// The administrator's policy under a root folder (empty for the system's own); none where the
    /// system keeps none.
    std::function<PolicySource(const std::string& root)> readPolicy = nullptr;
};

/// One subcommand: its name, a usage line for --help, and its body (arguments after the name).
struct CtlCommand
{
    std::string name;
    std::string usage;
    std::function<int(CtlContext&, const std::vector<std::string>&)> run;
};

/// Runs quelvoctl with its arguments (without the program name); returns the exit code. Output
/// that could not all be written fails the run, whatever the command did.
int runQuelvoctl(const std::vector<std::string>& args, CtlContext& ctx, const std::vector<CtlCommand>& commands);

/// True when the stored settings can be read or there are none yet; otherwise says why on stderr,
/// so that no command falls back on a default for a setting it could not read.
bool settingsReadable(CtlContext& ctx);

/// One event line as a JSON object: the line, its day, time and action (empty for a line that
/// is no event line), and a flag under `flagName`. `reboot`, when given, is the action the checker
/// takes for the line, which fires even when it is no event line the editor would write.
std::string jsonEvent(std::string_view line, std::string_view flagName, bool flag,
                      std::optional<bool> reboot = std::nullopt);

/// The 1-based number `list` shows the line at `index` (file order) under; 0 for a line it does not show.
std::size_t listNumberOf(const std::vector<std::string>& lines, std::size_t index);
/// A row number as `list` counts them, from 1; nullopt for anything else.
std::optional<std::size_t> parseRowNumber(const std::string& text);
/// The index in file order of the line `list` shows under that 1-based number; nullopt for none.
std::optional<std::size_t> fileIndexOf(const std::vector<std::string>& lines, std::size_t number);

/// The commands of each area, kept in their own files.
std::vector<CtlCommand> scheduleCommands();
/// Adding events, asking which one is due, and the quick actions; part of scheduleCommands().
std::vector<CtlCommand> eventCommands();
/// The next firing and skipping firings; part of scheduleCommands().
std::vector<CtlCommand> nextCommands();
/// What happened to the firings; part of scheduleCommands().
std::vector<CtlCommand> historyCommands();
std::vector<CtlCommand> settingsCommands();
std::vector<CtlCommand> powerCommands();
/// Showing the policy in effect and checking a policy file.
std::vector<CtlCommand> policyCommands();

} // namespace quelvo
