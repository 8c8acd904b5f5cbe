#include "power/command_line.h"

#include "platform/file_system.h"

namespace quelvo {

std::vector<std::string> splitCommandLine(std::string_view commandLine)
{
    std::vector<std::string> parts;
    std::string current;
    bool inWord = false;
    bool quoted = false;
    for (const char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (inWord)
                parts.push_back(std::move(current));
            current.clear();
            inWord = false;
        } else {
            current += c;
            inWord = true;
        }
    }
    if (inWord)
        parts.push_back(std::move(current));
    return parts;
}

std::vector<std::string> companionCandidates(std::string_view folder, std::string_view program)
{
    // A folder part could point anywhere; "." and ".." would leave the program's own folder.
    if (program.empty() || program == "." || program == ".." || program.find_first_of("/\\") != std::string_view::npos)
        return {};
    std::vector<std::string> candidates{joinPath(folder, program)};
    constexpr std::string_view exe = ".exe";
    if (program.size() > exe.size() && program.ends_with(exe))
        candidates.push_back(joinPath(folder, program.substr(0, program.size() - exe.size())));
    return candidates;
}

} // namespace quelvo
