#include "platform/windows/waitable_wake_source.h"

#include "platform/windows/wide_text.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <limits>
#include <system_error>

#include <windows.h>

namespace quelvo {

namespace {

[[noreturn]] void fail(const char* what)
{
    throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), what);
}

HANDLE makeEvent(bool manualReset)
{
    HANDLE event = ::CreateEventW(nullptr, manualReset ? TRUE : FALSE, FALSE, nullptr);
    if (event == nullptr)
        fail("CreateEventW");
    return event;
}

// What each handle waited on stands for.
enum class Slot { Stop, ClockSet, ZoneChanged, ZoneKey, SettingsKey, PolicyKey, ConfigFolder, Resumed, Timer, Channel };

bool isFolder(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The folder above `path`, or empty at the top.
std::wstring parentOf(const std::wstring& path)
{
    const auto split = path.find_last_of(L"\\/");
    if (split == std::wstring::npos || split == 0 || split + 1 == path.size())
        return {};
    // "C:\" stays a folder of its own rather than becoming "C:".
    if (split == 2 && path[1] == L':')
        return path.substr(0, 3);
    return path.substr(0, split);
}

std::wstring withoutTrailingSeparator(std::wstring path)
{
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/'))
        path.pop_back();
    return path;
}

std::uint64_t joined(DWORD high, DWORD low)
{
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

// The change notification of a folder, or null when it can't be watched.
HANDLE watchFolder(const std::wstring& folder, DWORD filter)
{
    HANDLE watch = ::FindFirstChangeNotificationW(folder.c_str(), FALSE, filter);
    return watch == INVALID_HANDLE_VALUE ? nullptr : watch;
}

} // namespace

WaitableWakeSource::WaitableWakeSource(WakeSourceSetup setup) : m_setup(std::move(setup))
{
    // A synchronization timer: the wait that sees it fire also resets it.
    m_timer = ::CreateWaitableTimerW(nullptr, FALSE, nullptr);
    if (m_timer == nullptr)
        fail("CreateWaitableTimerW");
    m_clockSet = makeEvent(false);
    m_zoneChanged = makeEvent(false);
    m_resumed = makeEvent(false);
    // Stays set: every wait after a stop says Stop again.
    m_stop = makeEvent(true);
    m_settingsChanged = makeEvent(false);
    m_policyChanged = makeEvent(false);
    m_zoneKeyChanged = makeEvent(false);
    watchConfig();
    (void)scheduleChanged();
    watchKey(m_setup.settingsKey, m_settingsKey, m_settingsChanged);
    watchKey(m_setup.policyKey, m_policyKey, m_policyChanged);
    watchZone();
}

WaitableWakeSource::~WaitableWakeSource()
{
    if (m_configWatch != nullptr)
        ::FindCloseChangeNotification(m_configWatch);
    for (void* key : {m_settingsKey, m_policyKey, m_zoneKey}) {
        if (key != nullptr)
            ::RegCloseKey(static_cast<HKEY>(key));
    }
    for (void* handle : {m_zoneKeyChanged, m_policyChanged, m_settingsChanged, m_stop, m_resumed, m_zoneChanged,
                         m_clockSet, m_timer}) {
        if (handle != nullptr)
            ::CloseHandle(handle);
    }
}

void WaitableWakeSource::add(WakeChannel& channel)
{
    m_channels.push_back(&channel);
}

void WaitableWakeSource::signal(WakeCause cause)
{
    switch (cause) {
    case WakeCause::ClockSet:
        ::SetEvent(m_clockSet);
        break;
    case WakeCause::ZoneChanged:
        ::SetEvent(m_zoneChanged);
        break;
    case WakeCause::Resumed:
        ::SetEvent(m_resumed);
        break;
    case WakeCause::Stop:
        ::SetEvent(m_stop);
        break;
    case WakeCause::Timer:
    case WakeCause::ScheduleChanged:
    case WakeCause::Request:
        break;
    }
}

WakeCause WaitableWakeSource::wait(std::optional<WallTime> at)
{
    arm(at);
    for (;;) {
        // The lowest index signalled is the one reported, so the weightiest come first; the others
        // stay signalled and are heard at the next wait. Only Stop must never be lost.
        std::array<HANDLE, MAXIMUM_WAIT_OBJECTS> handles{};
        std::array<Slot, MAXIMUM_WAIT_OBJECTS> slots{};
        DWORD count = 0;
        const auto put = [&](HANDLE handle, Slot slot) {
            if (handle != nullptr && count < handles.size()) {
                handles[count] = handle;
                slots[count++] = slot;
            }
        };
        put(m_stop, Slot::Stop);
        put(m_clockSet, Slot::ClockSet);
        put(m_zoneChanged, Slot::ZoneChanged);
        put(m_zoneKeyChanged, Slot::ZoneKey);
        put(m_settingsChanged, Slot::SettingsKey);
        put(m_policyChanged, Slot::PolicyKey);
        put(m_configWatch, Slot::ConfigFolder);
        put(m_resumed, Slot::Resumed);
        put(m_timer, Slot::Timer);
        const DWORD firstChannel = count;
        for (WakeChannel* channel : m_channels)
            put(channel->event(), Slot::Channel);

        const DWORD result = ::WaitForMultipleObjects(count, handles.data(), FALSE, INFINITE);
        if (result == WAIT_FAILED)
            fail("WaitForMultipleObjects");
        const DWORD index = result - WAIT_OBJECT_0;
        if (index >= count)
            continue;
        switch (slots[index]) {
        case Slot::Stop:
            return WakeCause::Stop;
        case Slot::ClockSet:
            return WakeCause::ClockSet;
        case Slot::ZoneChanged:
            return WakeCause::ZoneChanged;
        case Slot::ZoneKey:
            watchZone();
            return WakeCause::ZoneChanged;
        case Slot::SettingsKey:
            watchKey(m_setup.settingsKey, m_settingsKey, m_settingsChanged);
            return WakeCause::ScheduleChanged;
        case Slot::PolicyKey:
            watchKey(m_setup.policyKey, m_policyKey, m_policyChanged);
            return WakeCause::ScheduleChanged;
        case Slot::ConfigFolder: {
            const bool wasMissing = m_folderMissing;
            if (m_folderMissing || !isFolder(toWide(m_setup.configFolder)) ||
                ::FindNextChangeNotification(m_configWatch) == FALSE)
                watchConfig();
            // The folder came or went, or events.ini changed: the schedule with it.
            if (scheduleChanged() || wasMissing != m_folderMissing)
                return WakeCause::ScheduleChanged;
            break;
        }
        case Slot::Resumed:
            return WakeCause::Resumed;
        case Slot::Timer:
            return WakeCause::Timer;
        case Slot::Channel:
            if (const auto cause = m_channels[index - firstChannel]->serve())
                return *cause;
            break;
        }
    }
}

void WaitableWakeSource::arm(std::optional<WallTime> at)
{
    LARGE_INTEGER due{};
    if (!at) {
        // Cancelling leaves a timer that fired unconsumed signalled; setting it first clears that.
        due.QuadPart = -std::numeric_limits<LONGLONG>::max();
        if (::SetWaitableTimer(m_timer, &due, 0, nullptr, nullptr, FALSE) == FALSE)
            fail("SetWaitableTimer");
        ::CancelWaitableTimer(m_timer);
        return;
    }
    // A positive due time is an absolute FILETIME (UTC, 100 ns since 1601): a clock set moves
    // the moment it fires at along with the clock.
    constexpr long long kEpochDifference = 11'644'473'600LL; // 1601-01-01 to 1970-01-01, in seconds
    const auto ticks =
        std::chrono::duration_cast<std::chrono::duration<long long, std::ratio<1, 10'000'000>>>(at->time_since_epoch())
            .count() +
        kEpochDifference * 10'000'000LL;
    // Zero or less would be relative: a moment at or before 1601 is simply due.
    due.QuadPart = std::max(ticks, 1LL);
    if (::SetWaitableTimer(m_timer, &due, 0, nullptr, nullptr, FALSE) == FALSE)
        fail("SetWaitableTimer");
}

void WaitableWakeSource::watchConfig()
{
    if (m_configWatch != nullptr)
        ::FindCloseChangeNotification(m_configWatch);
    m_configWatch = nullptr;
    std::wstring folder = withoutTrailingSeparator(toWide(m_setup.configFolder));
    m_folderMissing = !isFolder(folder);
    if (!m_folderMissing) {
        m_configWatch = watchFolder(folder, FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_FILE_NAME |
                                                FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_DIR_NAME);
        if (m_configWatch != nullptr)
            return;
    }
    // Until the folder exists, the nearest folder above it tells when the next part appears.
    for (folder = parentOf(folder); !folder.empty() && m_configWatch == nullptr; folder = parentOf(folder)) {
        if (isFolder(folder))
            m_configWatch = watchFolder(folder, FILE_NOTIFY_CHANGE_DIR_NAME);
    }
}

void WaitableWakeSource::watchKey(const WatchedKey& watched, void*& key, void* changed)
{
    if (watched.path.empty())
        return;
    if (key == nullptr) {
        HKEY opened = nullptr;
        if (::RegCreateKeyExW(watched.localMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                              toWide(watched.path).c_str(), 0, nullptr, 0, KEY_NOTIFY, nullptr, &opened,
                              nullptr) != ERROR_SUCCESS)
            return;
        key = opened;
    }
    // Each notification is heard once; asked for again after every one.
    ::RegNotifyChangeKeyValue(static_cast<HKEY>(key), TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                              changed, TRUE);
}

void WaitableWakeSource::watchZone()
{
    if (m_setup.zoneKey.path.empty())
        return;
    if (m_zoneKey == nullptr) {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(m_setup.zoneKey.localMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                            toWide(m_setup.zoneKey.path).c_str(), 0, KEY_NOTIFY, &key) != ERROR_SUCCESS)
            return;
        m_zoneKey = key;
    }
    ::RegNotifyChangeKeyValue(static_cast<HKEY>(m_zoneKey), TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                              m_zoneKeyChanged, TRUE);
}

bool WaitableWakeSource::scheduleChanged()
{
    const std::wstring path = withoutTrailingSeparator(toWide(m_setup.configFolder)) + L"\\events.ini";
    WIN32_FILE_ATTRIBUTE_DATA data{};
    std::optional<std::uint64_t> written;
    std::uint64_t size = 0;
    if (::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) != FALSE) {
        written = joined(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
        size = joined(data.nFileSizeHigh, data.nFileSizeLow);
    }
    const bool changed = written != m_scheduleWritten || size != m_scheduleSize;
    m_scheduleWritten = written;
    m_scheduleSize = size;
    return changed;
}

} // namespace quelvo
