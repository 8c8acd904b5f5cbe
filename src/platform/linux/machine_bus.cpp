#include "platform/linux/machine_bus.h"

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>
#include <vector>

#include <poll.h>
#include <pwd.h>
#include <sys/epoll.h>

namespace quelvo {

namespace {

const std::string kObjectPath(kMachineObjectPath);
const std::string kInterface(kMachineInterface);
const std::string kBusName(kMachineBusName);
constexpr const char* kLogind = "org.freedesktop.login1";
constexpr const char* kLogindPath = "/org/freedesktop/login1";
constexpr const char* kSessionInterface = "org.freedesktop.login1.Session";

// The message of a refused request.
constexpr const char* kNotAllowedText = "only root or a user with an active local session may do this";

std::string errnoText(int negative)
{
    return std::strerror(-negative);
}

std::string userName(uid_t uid)
{
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(4096);
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
        return found->pw_name;
    return std::to_string(uid);
}

} // namespace

void BusClose::operator()(sd_bus* bus) const
{
    sd_bus_flush_close_unref(bus);
}

BusConnection openSystemBus()
{
    sd_bus* bus = nullptr;
    if (const int r = sd_bus_open_system(&bus); r < 0)
        throw std::system_error(-r, std::generic_category(), "cannot connect to the system bus");
    return BusConnection(bus);
}

MachineBus::MachineBus(sd_bus* bus) : m_bus(bus)
{
    // Any sender: a resume heard from somebody else only costs a look at the clock.
    if (const int r = sd_bus_match_signal(m_bus, &m_sleepMatch, nullptr, kLogindPath, "org.freedesktop.login1.Manager",
                                          "PrepareForSleep", &MachineBus::sleepChanged, this);
        r < 0)
        throw std::system_error(-r, std::generic_category(), "cannot listen to logind");
}

MachineBus::~MachineBus()
{
    sd_bus_slot_unref(m_object);
    sd_bus_slot_unref(m_sleepMatch);
}

std::string MachineBus::publish(MachineRequests requests)
{
    m_requests = std::move(requests);
    if (const int r =
            sd_bus_add_object_vtable(m_bus, &m_object, kObjectPath.c_str(), kInterface.c_str(), vtable(), this);
        r < 0)
        return "cannot put " + kObjectPath + " on the system bus: " + errnoText(r);
    const int r = sd_bus_request_name(m_bus, kBusName.c_str(), 0);
    if (r == -EEXIST)
        return "another program already owns " + kBusName + " on the system bus";
    if (r < 0)
        return "cannot own " + kBusName + " on the system bus: " + errnoText(r);
    return {};
}

void MachineBus::warning(const MachineWarning& warning)
{
    const auto at = std::chrono::duration_cast<std::chrono::seconds>(warning.at.time_since_epoch()).count();
    sd_bus_emit_signal(m_bus, kObjectPath.c_str(), kInterface.c_str(), "Warning", "sbxss", warning.line.c_str(),
                       static_cast<int>(warning.reboot), static_cast<std::int64_t>(at), warning.title.c_str(),
                       warning.body.c_str());
    flush();
}

void MachineBus::countdownStarted(const std::string& line, bool reboot, int seconds)
{
    sd_bus_emit_signal(m_bus, kObjectPath.c_str(), kInterface.c_str(), "CountdownStarted", "sbu", line.c_str(),
                       static_cast<int>(reboot), static_cast<std::uint32_t>(seconds));
    flush();
}

void MachineBus::countdownEnded(std::string_view outcome, const std::string& who)
{
    sd_bus_emit_signal(m_bus, kObjectPath.c_str(), kInterface.c_str(), "CountdownEnded", "ss",
                       std::string(outcome).c_str(), who.c_str());
    flush();
}

const sd_bus_vtable* MachineBus::vtable()
{
    static const sd_bus_vtable table[] = {
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD_WITH_NAMES("NextFiring", "", , "bsbx",
                                 SD_BUS_PARAM(found) SD_BUS_PARAM(line) SD_BUS_PARAM(reboot) SD_BUS_PARAM(at),
                                 &MachineBus::nextFiring, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("Cancel", "", "", &MachineBus::cancel, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("Postpone", "", "", &MachineBus::postpone, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_METHOD("Skip", "", "", &MachineBus::skip, SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_SIGNAL_WITH_NAMES(
            "Warning", "sbxss",
            SD_BUS_PARAM(line) SD_BUS_PARAM(reboot) SD_BUS_PARAM(at) SD_BUS_PARAM(title) SD_BUS_PARAM(body), 0),
        SD_BUS_SIGNAL_WITH_NAMES("CountdownStarted", "sbu",
                                 SD_BUS_PARAM(line) SD_BUS_PARAM(reboot) SD_BUS_PARAM(seconds), 0),
        SD_BUS_SIGNAL_WITH_NAMES("CountdownEnded", "ss", SD_BUS_PARAM(outcome) SD_BUS_PARAM(who), 0),
        SD_BUS_VTABLE_END,
    };
    return table;
}

int MachineBus::fd() const
{
    return sd_bus_get_fd(m_bus);
}

std::uint32_t MachineBus::events() const
{
    const int wanted = sd_bus_get_events(m_bus);
    std::uint32_t events = 0;
    if (wanted > 0 && (wanted & POLLIN) != 0)
        events |= EPOLLIN;
    if (wanted > 0 && (wanted & POLLOUT) != 0)
        events |= EPOLLOUT;
    return events;
}

std::optional<std::chrono::steady_clock::time_point> MachineBus::deadline() const
{
    std::uint64_t usec = 0;
    if (sd_bus_get_timeout(m_bus, &usec) <= 0 || usec == UINT64_MAX)
        return std::nullopt;
    // sd-bus counts on CLOCK_MONOTONIC, which is the steady clock here.
    return std::chrono::steady_clock::time_point(std::chrono::microseconds(usec));
}

std::optional<WakeCause> MachineBus::serve()
{
    for (;;) {
        const int r = sd_bus_process(m_bus, nullptr);
        if (r < 0)
            throw std::system_error(-r, std::generic_category(), "the system bus connection failed");
        if (r == 0)
            break;
    }
    return std::exchange(m_heard, std::nullopt);
}

int MachineBus::nextFiring(sd_bus_message* call, void* self, sd_bus_error* /*error*/)
{
    auto& bus = *static_cast<MachineBus*>(self);
    if (!bus.m_heard)
        bus.m_heard = WakeCause::Request;
    const std::optional<NextFiring> next = bus.m_requests.next();
    const auto at = next ? std::chrono::duration_cast<std::chrono::seconds>(next->at.time_since_epoch()).count() : 0;
    return sd_bus_reply_method_return(call, "bsbx", static_cast<int>(next.has_value()), next ? next->line.c_str() : "",
                                      static_cast<int>(next && next->reboot), static_cast<std::int64_t>(at));
}

int MachineBus::cancel(sd_bus_message* call, void* self, sd_bus_error* error)
{
    auto& bus = *static_cast<MachineBus*>(self);
    return bus.answer(call, error, bus.m_requests.cancel);
}

int MachineBus::postpone(sd_bus_message* call, void* self, sd_bus_error* error)
{
    auto& bus = *static_cast<MachineBus*>(self);
    return bus.answer(call, error, bus.m_requests.postpone);
}

int MachineBus::skip(sd_bus_message* call, void* self, sd_bus_error* error)
{
    auto& bus = *static_cast<MachineBus*>(self);
    return bus.answer(call, error, bus.m_requests.skip);
}

int MachineBus::sleepChanged(sd_bus_message* signal, void* self, sd_bus_error* /*error*/)
{
    auto& bus = *static_cast<MachineBus*>(self);
    int sleeping = 0;
    if (sd_bus_message_read(signal, "b", &sleeping) > 0 && sleeping == 0)
        bus.m_heard = WakeCause::Resumed;
    return 0;
}

int MachineBus::answer(sd_bus_message* call, sd_bus_error* error,
                       const std::function<MachineReply(const std::string&)>& request)
{
    const std::optional<std::string> who = allowedCaller(call, error);
    if (!who)
        return -EACCES;
    if (!m_heard)
        m_heard = WakeCause::Request;
    const MachineReply reply = request(*who);
    if (!reply.ok)
        return sd_bus_error_set(error, kFailedError, reply.error.c_str());
    return sd_bus_reply_method_return(call, "");
}

std::optional<std::string> MachineBus::allowedCaller(sd_bus_message* call, sd_bus_error* error)
{
    sd_bus_creds* creds = nullptr;
    uid_t uid = 0;
    int r = sd_bus_query_sender_creds(call, SD_BUS_CREDS_EUID, &creds);
    if (r >= 0)
        r = sd_bus_creds_get_euid(creds, &uid);
    sd_bus_creds_unref(creds);
    if (r < 0 || (uid != 0 && !activeLocalSession(uid))) {
        sd_bus_error_set(error, kNotAllowedError, kNotAllowedText);
        return std::nullopt;
    }
    return userName(uid);
}

bool MachineBus::activeLocalSession(uid_t uid)
{
    sd_bus_error error = SD_BUS_ERROR_NULL;
    sd_bus_message* reply = nullptr;
    std::vector<std::string> paths;
    if (sd_bus_call_method(m_bus, kLogind, kLogindPath, "org.freedesktop.login1.Manager", "ListSessions", &error,
                           &reply, "") >= 0 &&
        sd_bus_message_enter_container(reply, 'a', "(susso)") > 0) {
        const char* id = nullptr;
        std::uint32_t owner = 0;
        const char* user = nullptr;
        const char* seat = nullptr;
        const char* path = nullptr;
        while (sd_bus_message_read(reply, "(susso)", &id, &owner, &user, &seat, &path) > 0) {
            if (owner == uid)
                paths.emplace_back(path);
        }
    }
    sd_bus_message_unref(reply);
    sd_bus_error_free(&error);

    for (const std::string& path : paths) {
        int active = 0;
        int remote = 1;
        const bool read = sd_bus_get_property_trivial(m_bus, kLogind, path.c_str(), kSessionInterface, "Active", &error,
                                                      'b', &active) >= 0 &&
                          sd_bus_get_property_trivial(m_bus, kLogind, path.c_str(), kSessionInterface, "Remote", &error,
                                                      'b', &remote) >= 0;
        sd_bus_error_free(&error);
        if (read && active != 0 && remote == 0)
            return true;
    }
    return false;
}

void MachineBus::flush()
{
    // Signals go out now: a power request may follow at once.
    sd_bus_flush(m_bus);
}

} // namespace quelvo
