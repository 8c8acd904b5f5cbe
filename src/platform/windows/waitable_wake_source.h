#pragma once

#include "platform/wake_source.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quelvo {

/// Another event a wake source sleeps on, served by another part of the service (the pipe).
class WakeChannel
{
public:
    virtual ~WakeChannel() = default;

    /// The event to wait for (a HANDLE), owned by the channel.
    [[nodiscard]] virtual void* event() const = 0;
    /// Serves whatever is ready; says what to wake the service for, or nothing to sleep on.
    virtual std::optional<WakeCause> serve() = 0;
};

/// A registry key the wake source watches, with all its subkeys.
struct WatchedKey
{
    bool localMachine = false; // HKEY_LOCAL_MACHINE, else HKEY_CURRENT_USER
    std::string path;          // below the hive; made when missing
};

/// What the wake source watches besides its timer and the events the service's controls set.
struct WakeSourceSetup
{
    std::string configFolder; // the schedule's folder: events.ini
    WatchedKey settingsKey;   // the machine's settings; no path: none watched
    WatchedKey policyKey;     // the administrator's policy; no path: none watched
    // The system's time zone, whose change the service control manager does not report.
    WatchedKey zoneKey{.localMachine = true, .path = "SYSTEM\\CurrentControlSet\\Control\\TimeZoneInformation"};
};

/// Sleeps in WaitForMultipleObjects: a waitable timer set for the wall-clock moment asked for
/// (absolute, so a clock set moves it along); a change notification on the schedule's folder (or,
/// while it is missing, on the nearest folder above it that exists); a registry notification on the
/// settings' and the policy's keys and on the time zone's; one event for each cause that the service's control handler
/// reports (signal()) and the channels added to it. Nothing wakes it on a schedule of its own.
class WaitableWakeSource final : public WakeSource
{
public:
    /// Throws std::system_error when an event or the timer can't be made.
    explicit WaitableWakeSource(WakeSourceSetup setup);
    ~WaitableWakeSource() override;
    WaitableWakeSource(const WaitableWakeSource&) = delete;
    WaitableWakeSource& operator=(const WaitableWakeSource&) = delete;

    /// Also sleeps on `channel`, which must outlive the wake source.
    void add(WakeChannel& channel);

    /// Wakes the waiting service for `cause` (ClockSet, ZoneChanged, Resumed or Stop; others are
    /// ignored); safe from any thread, such as the control handler's.
    void signal(WakeCause cause);

    WakeCause wait(std::optional<WallTime> at) override;

private:
    void arm(std::optional<WallTime> at);
    void watchConfig();
    // Asks to hear the next change of `watched` (made when missing, so that its first value is
    // heard) on `changed`; `key` keeps the open key.
    void watchKey(const WatchedKey& watched, void*& key, void* changed);
    void watchZone();
    // True when events.ini changed since last looked at (a write of another file in its folder
    // wakes the folder's notification too).
    [[nodiscard]] bool scheduleChanged();

    WakeSourceSetup m_setup;
    void* m_timer = nullptr;
    void* m_clockSet = nullptr;
    void* m_zoneChanged = nullptr;
    void* m_resumed = nullptr;
    void* m_stop = nullptr;
    void* m_configWatch = nullptr;                  // a change notification; INVALID_HANDLE_VALUE is kept as null
    bool m_folderMissing = false;                   // the folder above the schedule's is watched until it appears
    std::optional<std::uint64_t> m_scheduleWritten; // events.ini's last write; none while missing
    std::uint64_t m_scheduleSize = 0;
    void* m_settingsKey = nullptr; // HKEY
    void* m_settingsChanged = nullptr;
    void* m_policyKey = nullptr; // HKEY
    void* m_policyChanged = nullptr;
    void* m_zoneKey = nullptr; // HKEY; null when the zone can't be watched
    void* m_zoneKeyChanged = nullptr;
    std::vector<WakeChannel*> m_channels;
};

} // namespace quelvo
