#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quelvo {

/// What the tray program was asked to do on its command line.
struct ProgramOptions
{
    bool dryRun = false; // print power requests instead of making them
    bool show = false;   // a running copy shows its main window
    std::string folder;  // where events.ini lives; empty: the program folder
};

/// The program is done before it starts: what it prints and how it ends.
struct ProgramExit
{
    int status = 0;
    std::string out; // for standard output
    std::string err; // for standard error
};

/// Reads the arguments after the program's name into `options` (whose dryRun may already be set
/// from the environment); returns what to print and the exit status for --help, --version and
/// anything it does not know.
std::optional<ProgramExit> parseProgramOptions(const std::vector<std::string>& args, ProgramOptions& options);

} // namespace quelvo
