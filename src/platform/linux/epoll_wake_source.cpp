#include "platform/linux/epoll_wake_source.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <span>
#include <system_error>

#include <sys/epoll.h>
#include <sys/inotify.h>
#include <sys/signalfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace quelvo {

namespace {

// What each descriptor registered with epoll stands for; channels follow the last.
enum Source : std::uint32_t { kTimer, kFiles, kSignals, kWatchdog, kFirstChannel };

// Changes to a file in a watched folder: written, replaced, created, removed or renamed away.
constexpr std::uint32_t kFileChanges = IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE | IN_MOVED_FROM;
// The watched folder itself went away.
constexpr std::uint32_t kFolderGone = IN_DELETE_SELF | IN_MOVE_SELF;

constexpr std::array<std::string_view, 3> kScheduleFiles{"events.ini", "settings.ini", "policy.ini"};
constexpr std::array<std::string_view, 2> kZoneFiles{"localtime", "timezone"};

// When two reasons come at once the service hears the weightiest; it acts on the clock as it
// stands whatever woke it, so only Stop must never be lost.
int weight(WakeCause cause)
{
    switch (cause) {
    case WakeCause::Stop:
        return 6;
    case WakeCause::ClockSet:
        return 5;
    case WakeCause::ZoneChanged:
        return 4;
    case WakeCause::ScheduleChanged:
        return 3;
    case WakeCause::Resumed:
        return 2;
    case WakeCause::Timer:
        return 1;
    case WakeCause::Request:
        break;
    }
    return 0;
}

void keep(std::optional<WakeCause>& cause, std::optional<WakeCause> other)
{
    if (other && (!cause || weight(*other) > weight(*cause)))
        cause = other;
}

[[noreturn]] void fail(const char* what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

int check(int result, const char* what)
{
    if (result < 0)
        fail(what);
    return result;
}

void watch(int epoll, int fd, std::uint32_t id, std::uint32_t events = EPOLLIN)
{
    epoll_event event{};
    event.events = events;
    event.data.u32 = id;
    check(::epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &event), "epoll_ctl");
}

timespec toTimespec(std::chrono::nanoseconds t)
{
    const auto seconds = std::chrono::floor<std::chrono::seconds>(t);
    return {static_cast<time_t>(seconds.count()), static_cast<long>((t - seconds).count())};
}

bool named(std::string_view name, std::span<const std::string_view> names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

EpollWakeSource::EpollWakeSource(WakeSourceSetup setup) : m_setup(std::move(setup))
{
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGINT);
    // Blocked, the signals wait in the signalfd instead of ending the process mid-write.
    if (const int error = ::pthread_sigmask(SIG_BLOCK, &stop, &m_oldMask); error != 0)
        throw std::system_error(error, std::generic_category(), "pthread_sigmask");
    m_signals = check(::signalfd(-1, &stop, SFD_NONBLOCK | SFD_CLOEXEC), "signalfd");
    m_epoll = check(::epoll_create1(EPOLL_CLOEXEC), "epoll_create1");
    m_timer = check(::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC), "timerfd_create");
    m_inotify = check(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC), "inotify_init1");
    watch(m_epoll, m_timer, kTimer);
    watch(m_epoll, m_inotify, kFiles);
    watch(m_epoll, m_signals, kSignals);

    watchConfig();
    // IN_MASK_ADD: the zone's folder may be the one watched for the schedule's missing folder,
    // and a second watch of one folder is the same watch.
    m_zoneWatch = ::inotify_add_watch(m_inotify, m_setup.zoneFolder.c_str(), kFileChanges | IN_MASK_ADD | IN_ONLYDIR);

    if (m_setup.watchdog.count() > 0) {
        m_watchdog = check(::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC), "timerfd_create");
        const timespec half = toTimespec(m_setup.watchdog / 2);
        const itimerspec every{half, half};
        check(::timerfd_settime(m_watchdog, 0, &every, nullptr), "timerfd_settime");
        watch(m_epoll, m_watchdog, kWatchdog);
    }
}

EpollWakeSource::~EpollWakeSource()
{
    for (const int fd : {m_watchdog, m_signals, m_inotify, m_timer, m_epoll}) {
        if (fd >= 0)
            ::close(fd);
    }
    // A stop that came in since is left pending rather than delivered now.
    ::pthread_sigmask(SIG_SETMASK, &m_oldMask, nullptr);
}

void EpollWakeSource::add(WakeChannel& channel)
{
    watch(m_epoll, channel.fd(), kFirstChannel + static_cast<std::uint32_t>(m_channels.size()), channel.events());
    m_channels.push_back(&channel);
}

WakeCause EpollWakeSource::wait(std::optional<WallTime> at)
{
    arm(at);
    for (;;) {
        for (std::size_t i = 0; i < m_channels.size(); ++i) {
            epoll_event event{};
            event.events = m_channels[i]->events();
            event.data.u32 = kFirstChannel + static_cast<std::uint32_t>(i);
            check(::epoll_ctl(m_epoll, EPOLL_CTL_MOD, m_channels[i]->fd(), &event), "epoll_ctl");
        }
        std::array<epoll_event, 8> ready{};
        const int count = ::epoll_wait(m_epoll, ready.data(), static_cast<int>(ready.size()), channelTimeoutMs());
        if (count < 0) {
            if (errno == EINTR)
                continue;
            fail("epoll_wait");
        }
        std::optional<WakeCause> cause;
        bool channelReady = count == 0;
        for (int i = 0; i < count; ++i) {
            switch (const std::uint32_t id = ready[static_cast<std::size_t>(i)].data.u32) {
            case kTimer:
                keep(cause, readTimer());
                break;
            case kFiles:
                keep(cause, readFileEvents());
                break;
            case kSignals:
                keep(cause, readSignal());
                break;
            case kWatchdog:
                readWatchdog();
                break;
            default:
                channelReady = channelReady || id >= kFirstChannel;
                break;
            }
        }
        // A channel is served whenever it stirs or its deadline passed; serving an idle one costs a
        // look at its queue.
        if (channelReady) {
            for (WakeChannel* channel : m_channels)
                keep(cause, channel->serve());
        }
        if (cause)
            return *cause;
    }
}

void EpollWakeSource::arm(std::optional<WallTime> at)
{
    itimerspec when{};
    if (at) {
        // Zero would disarm the timer: a moment at or before 1970 is simply due.
        const auto since = std::max(at->time_since_epoch(), std::chrono::system_clock::duration(1));
        when.it_value = toTimespec(std::chrono::duration_cast<std::chrono::nanoseconds>(since));
    }
    check(::timerfd_settime(m_timer, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &when, nullptr), "timerfd_settime");
}

std::optional<WakeCause> EpollWakeSource::readTimer()
{
    std::uint64_t expirations = 0;
    if (::read(m_timer, &expirations, sizeof expirations) == static_cast<ssize_t>(sizeof expirations))
        return WakeCause::Timer;
    if (errno == ECANCELED)
        return WakeCause::ClockSet;
    return std::nullopt;
}

void EpollWakeSource::watchConfig()
{
    namespace fs = std::filesystem;
    const int old = m_configWatch;
    fs::path folder = fs::path(m_setup.configFolder).lexically_normal();
    if (!folder.has_filename() && folder.has_parent_path())
        folder = folder.parent_path();
    m_missingChild.clear();
    m_configWatch =
        ::inotify_add_watch(m_inotify, folder.c_str(), kFileChanges | kFolderGone | IN_MASK_ADD | IN_ONLYDIR);
    // Until the folder exists, the nearest folder above it tells when the next part appears.
    while (m_configWatch < 0 && (errno == ENOENT || errno == ENOTDIR) && folder.has_filename()) {
        m_missingChild = folder.filename().string();
        folder = folder.has_parent_path() ? folder.parent_path() : fs::path(".");
        m_configWatch = ::inotify_add_watch(m_inotify, folder.c_str(),
                                            IN_CREATE | IN_MOVED_TO | kFolderGone | IN_MASK_ADD | IN_ONLYDIR);
    }
    // The zone's watch may be the same; it stays.
    if (old >= 0 && old != m_configWatch && old != m_zoneWatch)
        ::inotify_rm_watch(m_inotify, old);
}

std::optional<WakeCause> EpollWakeSource::readFileEvents()
{
    std::optional<WakeCause> cause;
    alignas(inotify_event) std::array<char, 16 * (sizeof(inotify_event) + NAME_MAX + 1)> buffer{};
    for (;;) {
        const ssize_t size = ::read(m_inotify, buffer.data(), buffer.size());
        if (size <= 0)
            return cause;
        bool rewatch = false;
        for (ssize_t at = 0; at < size;) {
            inotify_event event{};
            std::memcpy(&event, buffer.data() + at, sizeof event);
            const std::string_view name(event.len > 0 ? buffer.data() + at + sizeof event : "");
            const std::string_view file = name.substr(0, name.find('\0'));
            at += static_cast<ssize_t>(sizeof event + event.len);

            if (event.wd == m_zoneWatch && named(file, kZoneFiles)) {
                // localtime_r reads the zone once; tzset makes it read the new one.
                ::tzset();
                keep(cause, WakeCause::ZoneChanged);
            }
            if (event.wd != m_configWatch)
                continue;
            if ((event.mask & (kFolderGone | IN_IGNORED)) != 0 || (!m_missingChild.empty() && file == m_missingChild))
                rewatch = true;
            else if (m_missingChild.empty() && named(file, kScheduleFiles))
                keep(cause, WakeCause::ScheduleChanged);
        }
        if (rewatch) {
            const bool wasMissing = !m_missingChild.empty();
            watchConfig();
            // The folder came or went: the schedule with it.
            if (wasMissing != !m_missingChild.empty())
                keep(cause, WakeCause::ScheduleChanged);
        }
    }
}

std::optional<WakeCause> EpollWakeSource::readSignal()
{
    signalfd_siginfo info{};
    std::optional<WakeCause> cause;
    while (::read(m_signals, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        cause = WakeCause::Stop;
    return cause;
}

void EpollWakeSource::readWatchdog()
{
    std::uint64_t expirations = 0;
    if (::read(m_watchdog, &expirations, sizeof expirations) == static_cast<ssize_t>(sizeof expirations))
        m_setup.ping();
}

int EpollWakeSource::channelTimeoutMs() const
{
    std::optional<std::chrono::steady_clock::time_point> first;
    for (const WakeChannel* channel : m_channels) {
        if (const auto deadline = channel->deadline(); deadline && (!first || *deadline < *first))
            first = deadline;
    }
    if (!first)
        return -1;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*first - std::chrono::steady_clock::now());
    return static_cast<int>(std::clamp<std::chrono::milliseconds::rep>(left.count(), 0, INT_MAX));
}

} // namespace quelvo
