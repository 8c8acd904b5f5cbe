#include "app/ctl.h"

#include "platform/version_query.h"
#include "power/power_table.h"
#include "power/version_probe.h"

#include <optional>
#include <ostream>

namespace quelvo {

namespace {

std::string thisMachinesVersionName(const CtlContext& ctx)
{
    return windowsVersionNameFor(ctx.versionQuery != nullptr ? ctx.versionQuery->query() : std::nullopt);
}

std::optional<PowerCommand> commandNamed(const std::string& name)
{
    if (name == "shutdown")
        return PowerCommand::Shutdown;
    if (name == "forced")
        return PowerCommand::ForcedShutdown;
    if (name == "reboot")
        return PowerCommand::Reboot;
    return std::nullopt;
}

int versionName(CtlContext& ctx, const std::vector<std::string>& args)
{
    if (!args.empty()) {
        ctx.err << "usage: quelvoctl version-name\n";
        return kCtlUsage;
    }
    ctx.out << thisMachinesVersionName(ctx) << '\n';
    return kCtlOk;
}

int powerPlanUsage(CtlContext& ctx)
{
    ctx.err << "usage: quelvoctl power-plan [--version-name NAME] shutdown|forced|reboot\n";
    return kCtlUsage;
}

int powerPlan(CtlContext& ctx, const std::vector<std::string>& args)
{
    std::optional<std::string> name;
    std::optional<PowerCommand> command;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--version-name" && i + 1 < args.size() && !name) {
            name = args[++i];
            continue;
        }
        const auto named = commandNamed(args[i]);
        if (command || !named)
            return powerPlanUsage(ctx);
        command = named;
    }
    if (!command)
        return powerPlanUsage(ctx);
    for (const PowerStep& step : powerPlanFor(name.value_or(thisMachinesVersionName(ctx)), *command).view())
        ctx.out << describeStep(step) << '\n';
    return kCtlOk;
}

} // namespace

std::vector<CtlCommand> powerCommands()
{
    return {
        {"power-plan", "power-plan [--version-name NAME] shutdown|forced|reboot  steps of a power command", powerPlan},
        {"version-name", "version-name  the Windows family this machine counts as", versionName},
    };
}

} // namespace quelvo
