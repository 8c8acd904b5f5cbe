#include "power/power_table.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace quelvo {
namespace {

using Lines = std::vector<std::string>;

constexpr PowerCommand kCommands[] = {PowerCommand::Shutdown, PowerCommand::ForcedShutdown, PowerCommand::Reboot};

Lines describe(std::string_view name, PowerCommand command)
{
    Lines lines;
    for (const auto& step : powerPlanFor(name, command).view())
        lines.push_back(describeStep(step));
    return lines;
}

// What each kind of family runs, its tools called exactly as they expect (the rundll32 and shell32
// spellings differ on purpose); every other name shares all three cells with one of these.
TEST(PowerTable, EachFamilyCallsItsOwnTools)
{
    const std::string nineFiveReboot = R"(power: run "rundll32 shell32,SHExitWindowsEx 2" show 2)";
    const std::string nineEightOff = R"(power: run "rundll32.exe shell32.dll,SHExitWindowsEx 9" show 2)";
    const std::string ntOff = R"(power: run "velmorlogoff.exe -p" show 6)";
    const std::string companionOff = R"(power: run "velmorshutdown.exe -u" show 6)";
    const std::string restart = "power: ShutdownSystem 2";
    const struct
    {
        const char* name;
        Lines shutdown, forced, reboot;
    } cells[] = {
        {"Windows95",
         {R"(power: run "rundll32 user,exitwindows" show 2)"},
         {R"(power: run "rundll32 krnl386.exe,exitkernel" show 2)"},
         {nineFiveReboot}},
        // The 9 carries no force bit: forced is the plain shutdown.
        {"Windows98", {nineEightOff}, {nineEightOff}, {nineFiveReboot}},
        // The companion restarts, and the direct request follows without waiting for it.
        {"WindowsNT", {ntOff}, {ntOff}, {R"(power: run "velmorlogoff.exe -r" show 6)", restart}},
        {"Windows Vista", {companionOff}, {R"(power: run "velmorshutdown.exe -u -f" show 6)"}, {restart}},
        // Forced falls back to a power-off without the force bit.
        {"unknown", {companionOff}, {"power: ShutdownSystem 8"}, {restart}},
    };
    for (const auto& c : cells) {
        EXPECT_EQ(describe(c.name, PowerCommand::Shutdown), c.shutdown) << c.name;
        EXPECT_EQ(describe(c.name, PowerCommand::ForcedShutdown), c.forced) << c.name;
        EXPECT_EQ(describe(c.name, PowerCommand::Reboot), c.reboot) << c.name;
    }
    // The other families share a neighbour's cells. Names match exactly, letter case and blanks
    // included: any other name takes the catch-all row.
    const std::pair<const char*, const char*> twins[] = {
        {"WindowsME", "Windows98"},       {"Windows2000", "Windows Vista"},
        {"WindowsXP", "Windows Vista"},   {"", "unknown"},
        {"Windows2000 or XP", "unknown"}, {"windowsxp", "unknown"},
        {"WindowsXP ", "unknown"},        {"WindowsVista", "unknown"},
    };
    for (const auto& [name, twin] : twins) {
        for (const PowerCommand command : kCommands)
            EXPECT_EQ(describe(name, command), describe(twin, command)) << name;
    }
}

TEST(PowerTable, DescribesNegativeAndLargeFlagsInDecimal)
{
    EXPECT_EQ(describeShutdownSystem(-1), "power: ShutdownSystem -1");
    EXPECT_EQ(describeRun("a \"b\"", 0), "power: run \"a \"b\"\" show 0");
}

} // namespace
} // namespace quelvo
