#include "power/command_line.h"

#include <gtest/gtest.h>

namespace quelvo {
namespace {

using Parts = std::vector<std::string>;

TEST(CommandLine, SplitsAtBlanksAndKeepsQuotedBlanks)
{
    EXPECT_EQ(splitCommandLine("velmorshutdown.exe -u -f"), (Parts{"velmorshutdown.exe", "-u", "-f"}));
    EXPECT_EQ(splitCommandLine("  rundll32.exe   shell32.dll,SHExitWindowsEx 9 "),
              (Parts{"rundll32.exe", "shell32.dll,SHExitWindowsEx", "9"}));
    EXPECT_EQ(splitCommandLine("\"my tool\" \"\" a\"b c\"d"), (Parts{"my tool", "", "ab cd"}));
    EXPECT_TRUE(splitCommandLine(" \t ").empty());
}

TEST(CommandLine, CompanionsAreOnlyLookedForInTheGivenFolder)
{
    EXPECT_EQ(companionCandidates("/opt/q", "velmorshutdown.exe"),
              (Parts{"/opt/q/velmorshutdown.exe", "/opt/q/velmorshutdown"}));
    EXPECT_EQ(companionCandidates("/opt/q/", "rundll32"), Parts{"/opt/q/rundll32"});
    EXPECT_EQ(companionCandidates("/opt/q", ".exe"), Parts{"/opt/q/.exe"});
    // Anything that could leave the folder is not looked for at all.
    for (const char* escape : {"../velmorshutdown", "/bin/sh", "sub/tool", "..\\tool", "..", ".", ""})
        EXPECT_TRUE(companionCandidates("/opt/q", escape).empty()) << escape;
}

} // namespace
} // namespace quelvo
