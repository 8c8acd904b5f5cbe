#include "power/power_table.h"

namespace quelvo {

namespace {

constexpr PowerStep run(std::string_view commandLine, int showWindow)
{
    return {PowerStep::Kind::Run, commandLine, showWindow, 0};
}

constexpr PowerStep shutdownSystem(std::int32_t flags)
{
    return {PowerStep::Kind::ShutdownSystem, {}, 0, flags};
}

constexpr PowerPlan one(PowerStep step)
{
    return {{step, PowerStep{}}, 1};
}

constexpr PowerPlan two(PowerStep first, PowerStep second)
{
    return {{first, second}, 2};
}

// The command lines are kept exactly as each family's tools expect them, so the rundll32 and
// shell32 spellings differ from cell to cell.
constexpr PowerPlan kNineFiveReboot = one(run("rundll32 shell32,SHExitWindowsEx 2", kShowMinimized));
constexpr PowerPlan kNineEightOff = one(run("rundll32.exe shell32.dll,SHExitWindowsEx 9", kShowMinimized));
constexpr PowerPlan kCompanionOff = one(run("velmorshutdown.exe -u", kMinimize));
constexpr PowerPlan kCompanionForcedOff = one(run("velmorshutdown.exe -u -f", kMinimize));
constexpr PowerPlan kRestart = one(shutdownSystem(kExitReboot));

constexpr std::array<PowerTableRow, 8> kTable{{
    {"Windows95", false, one(run("rundll32 user,exitwindows", kShowMinimized)),
     one(run("rundll32 krnl386.exe,exitkernel", kShowMinimized)), kNineFiveReboot},
    // SHExitWindowsEx 9 carries no force bit: on 98 and ME the forced shutdown is the plain one.
    {"Windows98", false, kNineEightOff, kNineEightOff, kNineFiveReboot},
    {"WindowsME", false, kNineEightOff, kNineEightOff, kNineFiveReboot},
    // NT 4 restarts twice over: the companion is not waited for before the direct request.
    {"WindowsNT", false, one(run("velmorlogoff.exe -p", kMinimize)), one(run("velmorlogoff.exe -p", kMinimize)),
     two(run("velmorlogoff.exe -r", kMinimize), shutdownSystem(kExitReboot))},
    {"Windows2000", false, kCompanionOff, kCompanionForcedOff, kRestart},
    {"WindowsXP", false, kCompanionOff, kCompanionForcedOff, kRestart},
    {"Windows Vista", false, kCompanionOff, kCompanionForcedOff, kRestart},
    // Any other name; the forced shutdown powers off without the force bit.
    {"", true, kCompanionOff, one(shutdownSystem(kExitPowerOff)), kRestart},
}};

} // namespace

const PowerPlan& PowerTableRow::plan(PowerCommand command) const
{
    switch (command) {
    case PowerCommand::Shutdown:
        return shutdown;
    case PowerCommand::ForcedShutdown:
        return forcedShutdown;
    case PowerCommand::Reboot:
        break;
    }
    return reboot;
}

std::span<const PowerTableRow> powerTable()
{
    return kTable;
}

const PowerPlan& powerPlanFor(std::string_view versionName, PowerCommand command)
{
    for (const auto& row : kTable) {
        if (row.catchAll || row.versionName == versionName)
            return row.plan(command);
    }
    return kTable.back().plan(command);
}

std::string describeRun(std::string_view commandLine, int showWindow)
{
    return "power: run \"" + std::string(commandLine) + "\" show " + std::to_string(showWindow);
}

std::string describeShutdownSystem(std::int32_t flags)
{
    return "power: ShutdownSystem " + std::to_string(flags);
}

std::string describeStep(const PowerStep& step)
{
    return step.kind == PowerStep::Kind::Run ? describeRun(step.commandLine, step.showWindow)
                                             : describeShutdownSystem(step.exitFlags);
}

} // namespace quelvo
