#pragma once

#include "platform/wake_source.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <signal.h>

namespace quelvo {

/// Another descriptor a wake source sleeps on, served by another part of the service (the bus).
class WakeChannel
{
public:
    virtual ~WakeChannel() = default;

    /// The descriptor to watch.
    [[nodiscard]] virtual int fd() const = 0;
    /// The epoll events it waits for now (EPOLLIN, with EPOLLOUT while output is queued).
    [[nodiscard]] virtual std::uint32_t events() const = 0;
    /// The steady moment by which it must be served even when its descriptor stays quiet.
    [[nodiscard]] virtual std::optional<std::chrono::steady_clock::time_point> deadline() const = 0;
    /// Serves whatever is ready; says what to wake the service for, or nothing to sleep on.
    virtual std::optional<WakeCause> serve() = 0;
};

/// What the wake source watches besides its timer and SIGTERM/SIGINT.
struct WakeSourceSetup
{
    std::string configFolder;              // the schedule's folder: events.ini, settings.ini, policy.ini
    std::string zoneFolder = "/etc";       // the folder of the system's time zone files
    std::chrono::microseconds watchdog{0}; // systemd's watchdog interval; zero when there is none
    std::function<void()> ping = [] {};    // tells the watchdog the service is alive
};

/// Sleeps on epoll: a timerfd on the wall clock armed for the moment asked for, which a clock set
/// cancels; inotify on the schedule's folder (or, while it is missing, on the nearest folder above
/// it that exists) and on the time zone's files; a signalfd for SIGTERM and SIGINT, which it
/// blocks while it lives; the watchdog's timer, which only pings; and the channels added to it.
/// Nothing wakes it on a schedule of its own.
class EpollWakeSource final : public WakeSource
{
public:
    /// Throws std::system_error when a descriptor can't be made.
    explicit EpollWakeSource(WakeSourceSetup setup);
    ~EpollWakeSource() override;
    EpollWakeSource(const EpollWakeSource&) = delete;
    EpollWakeSource& operator=(const EpollWakeSource&) = delete;

    /// Also sleeps on `channel`, which must outlive the wake source.
    void add(WakeChannel& channel);

    WakeCause wait(std::optional<WallTime> at) override;

private:
    void arm(std::optional<WallTime> at);
    void watchConfig();
    [[nodiscard]] std::optional<WakeCause> readTimer();
    [[nodiscard]] std::optional<WakeCause> readFileEvents();
    [[nodiscard]] std::optional<WakeCause> readSignal();
    void readWatchdog();
    [[nodiscard]] int channelTimeoutMs() const;

    WakeSourceSetup m_setup;
    sigset_t m_oldMask{};
    int m_epoll = -1;
    int m_timer = -1;
    int m_inotify = -1;
    int m_signals = -1;
    int m_watchdog = -1;
    int m_configWatch = -1;     // the schedule's folder, or the folder above it that exists
    std::string m_missingChild; // while a folder above is watched: the name that appears in it next
    int m_zoneWatch = -1;
    std::vector<WakeChannel*> m_channels;
};

} // namespace quelvo
