#include "platform/linux/epoll_wake_source.h"

#include "fakes/temp_home.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>

namespace quelvo {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

void writeFile(const fs::path& path, const std::string& bytes = "x\n")
{
    std::ofstream(path, std::ios::binary) << bytes;
}

// The way editors and package managers replace a file: a new one renamed over it.
void replaceByRename(const fs::path& path)
{
    writeFile(path.string() + ".new");
    fs::rename(path.string() + ".new", path);
}

struct FolderCase
{
    const char* name;
    const char* zone; // the time zone's folder; the schedule's is etc/quelvo
    bool missing;     // the schedule's folder is not there when the source starts
    std::function<void(const fs::path& root)> change;
    WakeCause expected; // Timer: nothing woke it before its timer, a second on
};

TEST(EpollWakeSource, WakesForTheScheduleAndTheZoneOnlyThroughTheirOwnFiles)
{
    const FolderCase cases[] = {
        {"events.ini written", "zone", false, [](const fs::path& r) { writeFile(r / "etc/quelvo/events.ini"); },
         WakeCause::ScheduleChanged},
        {"settings.ini replaced by a rename", "zone", false,
         [](const fs::path& r) { replaceByRename(r / "etc/quelvo/settings.ini"); }, WakeCause::ScheduleChanged},
        {"events.ini removed", "zone", false, [](const fs::path& r) { fs::remove(r / "etc/quelvo/events.ini"); },
         WakeCause::ScheduleChanged},
        {"the schedule's lock file is no change", "zone", false,
         [](const fs::path& r) { writeFile(r / "etc/quelvo/events.ini.lock"); }, WakeCause::Timer},
        {"the schedule's folder removed", "zone", false, [](const fs::path& r) { fs::remove_all(r / "etc/quelvo"); },
         WakeCause::ScheduleChanged},
        {"the missing folder appears two levels down", "zone", true,
         [](const fs::path& r) { fs::create_directories(r / "etc/quelvo"); }, WakeCause::ScheduleChanged},
        {"only the folder above the missing one appears", "zone", true,
         [](const fs::path& r) { fs::create_directories(r / "etc"); }, WakeCause::Timer},
        {"localtime replaced", "zone", false, [](const fs::path& r) { replaceByRename(r / "zone/localtime"); },
         WakeCause::ZoneChanged},
        {"another file of the zone's folder", "zone", false, [](const fs::path& r) { writeFile(r / "zone/motd"); },
         WakeCause::Timer},
        // The nearest folder above the missing schedule is the zone's own: one watch serves both.
        {"the zone while the schedule's folder is missing", "etc", true,
         [](const fs::path& r) { writeFile(r / "etc/timezone"); }, WakeCause::ZoneChanged},
        {"the schedule's folder appears in the zone's folder", "etc", true,
         [](const fs::path& r) { fs::create_directory(r / "etc/quelvo"); }, WakeCause::ScheduleChanged},
    };
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempHome home;
        fs::create_directories(home.root() / c.zone);
        if (!c.missing) {
            fs::create_directories(home.root() / "etc/quelvo");
            writeFile(home.root() / "etc/quelvo/events.ini");
        }
        EpollWakeSource source({.configFolder = home.path("etc/quelvo"), .zoneFolder = home.path(c.zone)});
        c.change(home.root());
        EXPECT_EQ(source.wait(std::chrono::system_clock::now() + 1s), c.expected);
    }
}

TEST(EpollWakeSource, SleepsUntilItsTimeWhileTheWatchdogIsPinged)
{
    test::TempHome home;
    int pings = 0;
    EpollWakeSource source(
        {.configFolder = home.path("quelvo"), .zoneFolder = home.path("zone"), .watchdog = 100ms, .ping = [&pings] {
             ++pings;
         }});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(source.wait(std::chrono::system_clock::now() + 200ms), WakeCause::Timer);
    const auto slept = std::chrono::steady_clock::now() - start;
    EXPECT_GE(slept, 190ms);
    EXPECT_LT(slept, 1500ms);
    // Every 50 ms: half the interval.
    EXPECT_GE(pings, 3);
}

TEST(EpollWakeSource, AMomentPastIsDueAndATermStops)
{
    test::TempHome home;
    EpollWakeSource source({.configFolder = home.path("quelvo"), .zoneFolder = home.path("zone")});
    EXPECT_EQ(source.wait(std::chrono::system_clock::now() - 1h), WakeCause::Timer);
    EXPECT_EQ(source.wait(WallTime{}), WakeCause::Timer);
    ASSERT_EQ(std::raise(SIGTERM), 0);
    EXPECT_EQ(source.wait(std::nullopt), WakeCause::Stop);
}

} // namespace
} // namespace quelvo
