#include "power/power_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quelvo {
namespace {

using Lines = std::vector<std::string>;

Lines describe(std::string_view name, PowerCommand command)
{
    Lines lines;
    for (const auto& step : powerPlanFor(name, command).view())
        lines.push_back(describeStep(step));
    return lines;
}

struct Cell
{
    std::string name;
    Lines shutdown, forced, reboot;
};

const std::string kOff = R"(power: run "velmorshutdown.exe -u" show 6)";
const std::string kForcedOff = R"(power: run "velmorshutdown.exe -u -f" show 6)";
const std::string kNineEight = R"(power: run "rundll32.exe shell32.dll,SHExitWindowsEx 9" show 2)";
const std::string kNineFiveReboot = R"(power: run "rundll32 shell32,SHExitWindowsEx 2" show 2)";

TEST(PowerTable, EveryCellOfEveryFamily)
{
    const Cell cells[] = {
        {"Windows95",
         {R"(power: run "rundll32 user,exitwindows" show 2)"},
         {R"(power: run "rundll32 krnl386.exe,exitkernel" show 2)"},
         {kNineFiveReboot}},
        // 98 and ME: the forced shutdown is the plain one.
        {"Windows98", {kNineEight}, {kNineEight}, {kNineFiveReboot}},
        {"WindowsME", {kNineEight}, {kNineEight}, {kNineFiveReboot}},
        // NT: the reboot starts the companion and also asks directly.
        {"WindowsNT",
         {R"(power: run "velmorlogoff.exe -p" show 6)"},
         {R"(power: run "velmorlogoff.exe -p" show 6)"},
         {R"(power: run "velmorlogoff.exe -r" show 6)", "power: ShutdownSystem 2"}},
        {"Windows2000", {kOff}, {kForcedOff}, {"power: ShutdownSystem 2"}},
        {"WindowsXP", {kOff}, {kForcedOff}, {"power: ShutdownSystem 2"}},
        {"Windows Vista", {kOff}, {kForcedOff}, {"power: ShutdownSystem 2"}},
        // Every other name: forced falls back to a plain power-off, plain to the companion.
        {"Windows2000 or XP", {kOff}, {"power: ShutdownSystem 8"}, {"power: ShutdownSystem 2"}},
        {"unknown", {kOff}, {"power: ShutdownSystem 8"}, {"power: ShutdownSystem 2"}},
        {"", {kOff}, {"power: ShutdownSystem 8"}, {"power: ShutdownSystem 2"}},
        // Names match exactly, letter case and blanks included.
        {"windowsxp", {kOff}, {"power: ShutdownSystem 8"}, {"power: ShutdownSystem 2"}},
        {"WindowsXP ", {kOff}, {"power: ShutdownSystem 8"}, {"power: ShutdownSystem 2"}},
        {"WindowsVista", {kOff}, {"power: ShutdownSystem 8"}, {"power: ShutdownSystem 2"}},
    };
    for (const auto& c : cells) {
        SCOPED_TRACE("\"" + c.name + "\"");
        EXPECT_EQ(describe(c.name, PowerCommand::Shutdown), c.shutdown);
        EXPECT_EQ(describe(c.name, PowerCommand::ForcedShutdown), c.forced);
        EXPECT_EQ(describe(c.name, PowerCommand::Reboot), c.reboot);
    }
}

TEST(PowerTable, CatchAllRowIsLastAndOnlyOne)
{
    const auto table = powerTable();
    ASSERT_EQ(table.size(), 8U);
    for (std::size_t i = 0; i + 1 < table.size(); ++i)
        EXPECT_FALSE(table[i].catchAll) << table[i].versionName;
    EXPECT_TRUE(table.back().catchAll);
}

TEST(PowerTable, DescribesNegativeAndLargeFlagsInDecimal)
{
    EXPECT_EQ(describeShutdownSystem(-1), "power: ShutdownSystem -1");
    EXPECT_EQ(describeRun("a \"b\"", 0), "power: run \"a \"b\"\" show 0");
}

} // namespace
} // namespace quelvo
