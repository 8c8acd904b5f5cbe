#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quelvo {

/// Splits a command line into program and arguments at blanks; double quotes group blanks into
/// one argument and are removed.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

/// The only places a companion program is looked for: the given folder, under its name and,
/// for a name ending in ".exe", also without that ending. Names with a folder part have none.
std::vector<std::string> companionCandidates(std::string_view folder, std::string_view program);

} // namespace quelvo
