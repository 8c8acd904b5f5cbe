#include "platform/windows/initiate_shutdown_requester.h"
#include "platform/windows/waitable_wake_source.h"
#include "platform/windows/wide_text.h"
#include "platform/windows/windows_file_system.h"
#include "power/power_table.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

// The machine service's waits and requests against the real calls (under Wine in CI). No test
// here makes a power request: InitiateShutdownW is always replaced.
namespace quelvo {
namespace {

using namespace std::chrono_literals;

struct WaitableWakeSourceTest : ::testing::Test
{
    void SetUp() override
    {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        top = toUtf8(temp) + "quelvo-wake-" + std::to_string(::GetCurrentProcessId());
        folder = top + "\\Quelvo";
        key = "Software\\QuelvoTest\\wake-" + std::to_string(::GetCurrentProcessId());
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(toWide(top)), ignored);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, toWide(key).c_str());
    }

    // The wait, ended by a Stop after three seconds so that a wake that never comes fails instead
    // of hanging.
    static WakeCause waitAtMost3s(WaitableWakeSource& source, std::optional<WallTime> at)
    {
        std::atomic<bool> woke = false;
        std::thread guard([&] {
            for (int i = 0; i < 300 && !woke; ++i)
                std::this_thread::sleep_for(10ms);
            if (!woke)
                source.signal(WakeCause::Stop);
        });
        const WakeCause cause = source.wait(at);
        woke = true;
        guard.join();
        return cause;
    }

    static WallTime in(std::chrono::milliseconds ms) { return std::chrono::system_clock::now() + ms; }

    WindowsFileSystem fs;
    std::string top;
    std::string folder;
    std::string key;
};

// Only the schedule's own file wakes the service; the history beside it is the service's writing.
TEST_F(WaitableWakeSourceTest, ScheduleFileChangesWakeOthersDoNot)
{
    const struct
    {
        const char* what;
        std::function<void(FileSystem&, const std::string&)> change;
        WakeCause expected;
    } cases[] = {
        {"events.ini written", [](FileSystem& f, const std::string& d) { (void)f.append(d + "\\events.ini", "x"); },
         WakeCause::ScheduleChanged},
        {"events.ini replaced",
         [](FileSystem& f, const std::string& d) {
             (void)f.replaceContents(d + "\\events.ini", "events.ini.new", "other", NewFileAccess::Readable);
         },
         WakeCause::ScheduleChanged},
        {"events.ini removed", [](FileSystem& f, const std::string& d) { (void)f.remove(d + "\\events.ini"); },
         WakeCause::ScheduleChanged},
        {"history written", [](FileSystem& f, const std::string& d) { (void)f.append(d + "\\history.jsonl", "{}"); },
         WakeCause::Timer},
    };
    ASSERT_TRUE(fs.makeFolders(folder).ok());
    for (const auto& c : cases) {
        const IoResult written =
            fs.replaceContents(folder + "\\events.ini", "events.ini.new", "line", NewFileAccess::Readable);
        ASSERT_TRUE(written.ok()) << written.error;
        WaitableWakeSource source({.configFolder = folder, .settingsKey = {}, .policyKey = {}});
        c.change(fs, folder);
        EXPECT_EQ(waitAtMost3s(source, in(500ms)), c.expected) << c.what;
    }
}

// The folder made after the service started is watched from then on.
TEST_F(WaitableWakeSourceTest, FolderThatAppearsLaterIsWatched)
{
    WaitableWakeSource source({.configFolder = folder, .settingsKey = {}, .policyKey = {}});
    ASSERT_TRUE(fs.makeFolders(folder).ok());
    EXPECT_EQ(waitAtMost3s(source, std::nullopt), WakeCause::ScheduleChanged);
    ASSERT_TRUE(fs.append(folder + "\\events.ini", "x").ok());
    EXPECT_EQ(waitAtMost3s(source, std::nullopt), WakeCause::ScheduleChanged);
}

// Every change of the settings' key or the time zone's is heard, not only the first.
TEST_F(WaitableWakeSourceTest, KeyChangesWake)
{
    const WatchedKey watched{.localMachine = false, .path = key};
    const struct
    {
        WakeSourceSetup setup;
        WakeCause expected;
    } cases[] = {
        {{.configFolder = folder, .settingsKey = watched, .policyKey = {}, .zoneKey = {}}, WakeCause::ScheduleChanged},
        {{.configFolder = folder, .settingsKey = {}, .policyKey = {}, .zoneKey = watched}, WakeCause::ZoneChanged},
        {{.configFolder = folder, .settingsKey = {}, .policyKey = watched, .zoneKey = {}}, WakeCause::ScheduleChanged},
    };
    for (const auto& c : cases) {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, toWide(key).c_str());
        HKEY made = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, toWide(key).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &made,
                                    nullptr),
                  ERROR_SUCCESS);
        ::RegCloseKey(made);
        WaitableWakeSource source(c.setup);
        for (const wchar_t* value : {L"15", L"30"}) {
            ::RegSetKeyValueW(HKEY_CURRENT_USER, toWide(key).c_str(), L"warn", REG_SZ, value, 6);
            EXPECT_EQ(waitAtMost3s(source, std::nullopt), c.expected) << static_cast<int>(c.expected);
        }
    }
}

TEST_F(WaitableWakeSourceTest, TimerWakesAtTheMomentAskedFor)
{
    WaitableWakeSource source({.configFolder = folder, .settingsKey = {}, .policyKey = {}});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(waitAtMost3s(source, in(200ms)), WakeCause::Timer);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 180ms);
}

// What the control handler reports wakes the waiting service from another thread; a stop stays,
// the others are heard once.
TEST_F(WaitableWakeSourceTest, ControlsWakeFromAnotherThread)
{
    const struct
    {
        WakeCause cause;
        WakeCause next;
    } cases[] = {
        {WakeCause::ClockSet, WakeCause::Timer},
        {WakeCause::ZoneChanged, WakeCause::Timer},
        {WakeCause::Resumed, WakeCause::Timer},
        {WakeCause::Stop, WakeCause::Stop},
    };
    for (const auto& c : cases) {
        WaitableWakeSource source({.configFolder = folder, .settingsKey = {}, .policyKey = {}});
        std::thread handler([&] {
            std::this_thread::sleep_for(50ms);
            source.signal(c.cause);
        });
        EXPECT_EQ(source.wait(std::nullopt), c.cause);
        handler.join();
        EXPECT_EQ(waitAtMost3s(source, in(100ms)), c.next);
    }
}

TEST(InitiateShutdownRequester, FlagsAndPlannedReason)
{
    // SHUTDOWN_FORCE_OTHERS 0x1, SHUTDOWN_FORCE_SELF 0x2, SHUTDOWN_RESTART 0x4, SHUTDOWN_POWEROFF 0x8.
    const struct
    {
        std::int32_t flags;
        std::uint32_t expected;
    } cases[] = {
        {kExitPowerOff, 0x9},
        {kExitPowerOff | kExitForce, 0xb},
        {kExitReboot, 0x5},
    };
    for (const auto& c : cases) {
        std::uint32_t passed = 0;
        std::uint32_t reason = 0;
        InitiateShutdownRequester requester([&](std::uint32_t flags, std::uint32_t why) {
            passed = flags;
            reason = why;
            return 0U;
        });
        EXPECT_TRUE(requester.requestExit(c.flags).accepted);
        EXPECT_EQ(passed, c.expected) << c.flags;
        EXPECT_EQ(reason, 0x80000000U) << c.flags; // planned, other
    }
    const ExitResult refused = InitiateShutdownRequester([](auto, auto) { return 1115U; }).requestExit(kExitReboot);
    EXPECT_FALSE(refused.accepted);
    EXPECT_EQ(refused.errorCode, 1115U);
}

} // namespace
} // namespace quelvo
