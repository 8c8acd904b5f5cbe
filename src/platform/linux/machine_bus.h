#pragma once

#include "platform/linux/epoll_wake_source.h"
#include "platform/machine_link.h"
#include "schedule/machine_scheduler.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <sys/types.h>
#include <systemd/sd-bus.h>

namespace quelvo {

/// Closes a bus connection once what it queued is written.
struct BusClose
{
    void operator()(sd_bus* bus) const;
};
using BusConnection = std::unique_ptr<sd_bus, BusClose>;

/// The system bus (DBUS_SYSTEM_BUS_ADDRESS when set); throws std::system_error when it can't be reached.
BusConnection openSystemBus();

/// What people at the machine may ask the service; built with designated initializers.
struct MachineRequests
{
    std::function<std::optional<NextFiring>()> next;
    std::function<MachineReply(const std::string& who)> cancel;
    std::function<MachineReply(const std::string& who)> postpone;
    std::function<MachineReply(const std::string& who)> skip;
};

/// The D-Bus error names of refused requests.
inline constexpr const char* kNotAllowedError = "org.example.quelvo.Machine1.Error.NotAllowed";
inline constexpr const char* kFailedError = "org.example.quelvo.Machine1.Error.Failed";

/// The machine service's object on the bus: NextFiring for everybody; Cancel, Postpone and Skip for
/// root and for users with an active local session (asked of logind on the same bus); the Warning,
/// CountdownStarted and CountdownEnded signals. As a wake channel it answers the calls and hears
/// logind say that the machine resumed from sleep.
class MachineBus final : public WakeChannel
{
public:
    /// Listens for logind's PrepareForSleep on `bus`; throws std::system_error when it can't.
    explicit MachineBus(sd_bus* bus);
    ~MachineBus() override;
    MachineBus(const MachineBus&) = delete;
    MachineBus& operator=(const MachineBus&) = delete;

    /// Puts the object on the bus with its requests and takes the service's name; empty when that
    /// worked, else why not (another owner, a policy that refuses it).
    std::string publish(MachineRequests requests);

    void warning(const MachineWarning& warning);
    void countdownStarted(const std::string& line, bool reboot, int seconds);
    void countdownEnded(std::string_view outcome, const std::string& who);

    [[nodiscard]] int fd() const override;
    [[nodiscard]] std::uint32_t events() const override;
    [[nodiscard]] std::optional<std::chrono::steady_clock::time_point> deadline() const override;
    std::optional<WakeCause> serve() override;

private:
    static const sd_bus_vtable* vtable();
    static int nextFiring(sd_bus_message* call, void* self, sd_bus_error* error);
    static int cancel(sd_bus_message* call, void* self, sd_bus_error* error);
    static int postpone(sd_bus_message* call, void* self, sd_bus_error* error);
    static int skip(sd_bus_message* call, void* self, sd_bus_error* error);
    static int sleepChanged(sd_bus_message* signal, void* self, sd_bus_error* error);

    int answer(sd_bus_message* call, sd_bus_error* error,
               const std::function<MachineReply(const std::string&)>& request);
    // The caller's name when it may change the countdown; else sets `error`.
    std::optional<std::string> allowedCaller(sd_bus_message* call, sd_bus_error* error);
    [[nodiscard]] bool activeLocalSession(uid_t uid);
    void flush();

    sd_bus* m_bus;
    sd_bus_slot* m_sleepMatch = nullptr;
    sd_bus_slot* m_object = nullptr;
    MachineRequests m_requests;
    std::optional<WakeCause> m_heard;
};

} // namespace quelvo
