#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quelvo {

/// The three power commands.
enum class PowerCommand {
    Shutdown,
    ForcedShutdown,
    Reboot,
};

/// Show-window values of started commands.
inline constexpr int kShowMinimized = 2; // minimized and active
inline constexpr int kMinimize = 6;      // minimized, not active

/// Exit flags of ShutdownSystem.
inline constexpr std::int32_t kExitLogoff = 0;
inline constexpr std::int32_t kExitShutdown = 1;
inline constexpr std::int32_t kExitReboot = 2;
inline constexpr std::int32_t kExitForce = 4;
inline constexpr std::int32_t kExitPowerOff = 8;
inline constexpr std::int32_t kExitForceIfHung = 16;

/// One step of a power command: start a command line, or call ShutdownSystem.
struct PowerStep
{
    enum class Kind {
        Run,
        ShutdownSystem,
    };
    Kind kind = Kind::Run;
    std::string_view commandLine; // Run only
    int showWindow = 0;           // Run only
    std::int32_t exitFlags = 0;   // ShutdownSystem only

    bool operator==(const PowerStep&) const = default;
};

/// The steps of one command on one Windows family, carried out in order.
struct PowerPlan
{
    std::array<PowerStep, 2> steps{};
    std::size_t count = 0;

    [[nodiscard]] std::span<const PowerStep> view() const { return {steps.data(), count}; }
};

/// One row of the command table. The catch-all row takes every name no other row matches.
struct PowerTableRow
{
    std::string_view versionName;
    bool catchAll = false;
    PowerPlan shutdown;
    PowerPlan forcedShutdown;
    PowerPlan reboot;

    [[nodiscard]] const PowerPlan& plan(PowerCommand command) const;
};

/// The whole command table, rows in the order they are tried, the catch-all last.
std::span<const PowerTableRow> powerTable();

/// The steps of a command on the named family; names match exactly, letter case included.
const PowerPlan& powerPlanFor(std::string_view versionName, PowerCommand command);

/// The line that describes a step, as the dry run prints it (without a line end).
std::string describeStep(const PowerStep& step);

/// Describes starting a command line as the dry run prints it.
std::string describeRun(std::string_view commandLine, int showWindow);

/// Describes a ShutdownSystem call as the dry run prints it.
std::string describeShutdownSystem(std::int32_t flags);

} // namespace quelvo
