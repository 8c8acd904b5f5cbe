#include "platform/linux/logind_power.h"

#include "power/power_table.h"

#include <cerrno>
#include <cstdint>
#include <string>

namespace quelvo {

namespace {

constexpr const char* kLogind = "org.freedesktop.login1";
constexpr const char* kPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";

// SD_LOGIND_ROOT_CHECK_INHIBITORS: block inhibitors hold for root too.
constexpr std::uint64_t kCheckInhibitors = 1;
constexpr std::uint64_t kIgnoreInhibitors = 0;

struct Request
{
    const char* method;
    const char* oldMethod;
    const char* name; // what users call it
};

ExitResult refusal(const sd_bus_error& error, int r)
{
    const bool denied = sd_bus_error_has_names(&error, SD_BUS_ERROR_ACCESS_DENIED, SD_BUS_ERROR_AUTH_FAILED,
                                               SD_BUS_ERROR_INTERACTIVE_AUTHORIZATION_REQUIRED) > 0;
    std::string message = error.message != nullptr ? error.message : error.name != nullptr ? error.name : "";
    return {false, static_cast<std::uint32_t>(denied ? EACCES : -r), std::move(message)};
}

// "who (why)" of every block inhibitor on shutdown, or empty (also when logind lists none).
std::string shutdownBlockers(sd_bus* bus)
{
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    std::string blockers;
    if (sd_bus_call_method(bus, kLogind, kPath, kManager, "ListInhibitors", &error, &reply, "") >= 0 &&
        sd_bus_message_enter_container(reply, 'a', "(ssssuu)") > 0) {
        const char* what = nullptr;
        const char* who = nullptr;
        const char* why = nullptr;
        const char* mode = nullptr;
        std::uint32_t uid = 0;
        std::uint32_t pid = 0;
        while (sd_bus_message_read(reply, "(ssssuu)", &what, &who, &why, &mode, &uid, &pid) > 0) {
            if (std::string_view(mode) != "block" ||
                (":" + std::string(what) + ":").find(":shutdown:") == std::string::npos)
                continue;
            blockers += (blockers.empty() ? "" : ", ") + std::string(who);
            if (*why != '\0')
                blockers += " (" + std::string(why) + ")";
        }
    }
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);
    return blockers;
}

} // namespace

LogindPower::LogindPower(sd_bus* bus) : m_bus(bus)
{}

ExitResult LogindPower::requestExit(std::int32_t flags)
{
    Request request{};
    if ((flags & kExitReboot) != 0)
        request = {"RebootWithFlags", "Reboot", "restart"};
    else if ((flags & (kExitShutdown | kExitPowerOff)) != 0)
        request = {"PowerOffWithFlags", "PowerOff", "shut down"};
    else
        return {false, static_cast<std::uint32_t>(EINVAL), "the machine's service has no session to end"};
    const bool forced = (flags & (kExitForce | kExitForceIfHung)) != 0;

    sd_bus_error error = SD_BUS_ERROR_NULL;
    int r = sd_bus_call_method(m_bus, kLogind, kPath, kManager, request.method, &error, nullptr, "t",
                               forced ? kIgnoreInhibitors : kCheckInhibitors);
    if (r < 0 && sd_bus_error_has_name(&error, SD_BUS_ERROR_UNKNOWN_METHOD)) {
        sd_bus_error_free(&error);
        if (!forced) {
            if (const std::string blockers = shutdownBlockers(m_bus); !blockers.empty())
                return {false, static_cast<std::uint32_t>(EBUSY),
                        std::string("Applications are blocking ") + request.name + ": " + blockers};
        }
        r = sd_bus_call_method(m_bus, kLogind, kPath, kManager, request.oldMethod, &error, nullptr, "b", 0);
    }
    ExitResult result = r < 0 ? refusal(error, r) : ExitResult{true, 0, {}};
    sd_bus_error_free(&error);
    return result;
}

} // namespace quelvo
