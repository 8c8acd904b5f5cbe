#include "platform/windows/desktop_notifier.h"
#include "platform/windows/exit_windows_requester.h"
#include "platform/windows/folder_process_starter.h"
#include "platform/windows/locations.h"
#include "platform/windows/mutex_instance.h"
#include "platform/windows/registry_settings.h"
#include "platform/windows/run_key_autostart.h"
#include "platform/windows/shell_notify_icon.h"
#include "platform/windows/system_clock.h"
#include "platform/windows/wide_text.h"
#include "platform/windows/window_messenger.h"
#include "platform/windows/windows_power.h"
#include "power/shutdown_system.h"
#include "tray/sys_tray_model.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <vector>

// The Windows layer against the real calls (under Wine in CI). No test here makes an exit
// request: ExitWindowsEx is always replaced.
namespace quelvo {
namespace {

TEST(WindowsVersion, RecordNamesTheFamily)
{
    const auto version = WindowsVersionQuery().query();
    ASSERT_TRUE(version);
    EXPECT_EQ(version->platformId, 2U); // NT
    WindowsVersionQuery query;
    VersionProbe probe(query);
    EXPECT_TRUE(probe.IsWindowsNT());
    // Wine 8 reports 6.1 by default; without a manifest entry newer systems read 6.2. Both
    // are the table's Vista row.
    if (version->major == 6) {
        EXPECT_EQ(probe.GetWindowsVersionName(), "Windows Vista");
    }
}

TEST(WindowsMessages, SystemTextsWithoutLineEnd)
{
    WindowsSystemMessages messages;
    const std::string denied = messages.messageText(ERROR_ACCESS_DENIED);
    EXPECT_TRUE(denied == "Access denied." || denied == "Access is denied.") << denied;
    EXPECT_EQ(messages.messageText(0), "");
    EXPECT_EQ(messages.messageText(0x7fff1234), "");
}

// The privilege calls for real, the exit request replaced: what ExitWindowsEx would get.
TEST(WindowsShutdown, PrivilegeEnabledThenFlagsAndReasonPassed)
{
    std::vector<std::pair<std::uint32_t, std::uint32_t>> calls;
    ExitWindowsRequester exit([&](std::uint32_t flags, std::uint32_t reason) {
        calls.emplace_back(flags, reason);
        return 1;
    });
    WindowsVersionQuery query;
    VersionProbe probe(query);
    WindowsPrivileges privileges;
    WindowsSystemMessages messages;
    ShutdownService service(probe, {privileges, privileges, exit, messages}, "velmorshutdown.exe");
    EXPECT_TRUE(service.EnableShutdownPrivilege());
    EXPECT_TRUE(service.ShutdownSystem(12));
    ASSERT_EQ(calls.size(), 1U);
    EXPECT_EQ(calls[0].first, 12U);
    EXPECT_EQ(calls[0].second, 0x80000000U); // planned, major and minor "other"
}

TEST(WindowsShutdown, RefusedRequestCarriesTheSystemText)
{
    ExitWindowsRequester exit([](std::uint32_t, std::uint32_t) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    });
    const ExitResult result = exit.requestExit(1);
    EXPECT_FALSE(result.accepted);
    EXPECT_EQ(result.errorCode, 5U);
    WindowsVersionQuery query;
    VersionProbe probe(query);
    WindowsPrivileges privileges;
    WindowsSystemMessages messages;
    ShutdownService service(probe, {privileges, privileges, exit, messages}, "velmorshutdown.exe");
    try {
        service.ShutdownSystem(1);
        ADD_FAILURE() << "no error raised";
    } catch (const ShutdownError& error) {
        EXPECT_EQ(error.number(), 0x80040000U + 1579);
        EXPECT_EQ(error.source(), "velmorshutdown.mShutDown");
        EXPECT_NE(error.description().find("denied"), std::string::npos) << error.description();
    }
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(WindowsProcessStart, CompanionByFullPathWithShowValue)
{
    const std::string folder = executableFolder();
    const std::string out = folder + "\\start_probe.out";
    ::DeleteFileA(out.c_str());
    ::SetEnvironmentVariableA("QUELVO_START_PROBE_OUT", out.c_str());
    FolderProcessStarter starter(folder);
    const StartResult started = starter.start("start_probe.exe -u -f", 2);
    ASSERT_TRUE(started.started) << started.reason;
    std::string got;
    for (int i = 0; i < 200 && got.empty(); ++i) {
        ::Sleep(50);
        got = readFile(out);
    }
    EXPECT_EQ(got, "start_probe.exe -u -f|1|2");
    ::DeleteFileA(out.c_str());
}

TEST(WindowsProcessStart, OnlyTheProgramsFolder)
{
    FolderProcessStarter starter(executableFolder());
    for (const char* line : {"velmornothere.exe -u", "..\\start_probe.exe", "C:start_probe.exe", "cmd.exe /c echo"})
        EXPECT_FALSE(starter.start(line, 1).started) << line;
}

TEST(WindowsRunEntry, WrittenReadAndSwitchedOff)
{
    RunKeyAutostart entry("QuelvoTestEntry");
    EXPECT_EQ(entry.GetRegString("none"), "none");
    const std::string command = "\"C:\\Program Files\\Quelvo\\quelvo.exe\"";
    ASSERT_TRUE(entry.SetRegString(command).ok());
    EXPECT_EQ(entry.GetRegString("none"), command);
    ASSERT_TRUE(entry.SetRegString("").ok());
    EXPECT_EQ(entry.GetRegString("none"), "");

    // Windows would start a machine-wide entry whatever the user's own says: "off" takes it away.
    const wchar_t* const runKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    const std::wstring machineCommand = L"\"C:\\Quelvo\\quelvo.exe\"";
    ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, runKey, L"QuelvoTestEntry", REG_SZ, machineCommand.c_str(),
                                static_cast<DWORD>((machineCommand.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    EXPECT_EQ(entry.GetRegString("none"), "\"C:\\Quelvo\\quelvo.exe\"");
    ASSERT_TRUE(entry.SetRegString("").ok());
    EXPECT_EQ(entry.GetRegString("none"), "");
    EXPECT_EQ(::RegGetValueW(HKEY_LOCAL_MACHINE, runKey, L"QuelvoTestEntry", RRF_RT_ANY, nullptr, nullptr, nullptr),
              ERROR_FILE_NOT_FOUND);
    HKEY key = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_SET_VALUE,
                              &key),
              ERROR_SUCCESS);
    ::RegDeleteValueW(key, L"QuelvoTestEntry");
    ::RegCloseKey(key);
}

TEST(WindowsSettings, RegistryRoundTripWithCaseInsensitiveNames)
{
    const std::string root = "Software\\QuelvoTest" + std::to_string(::GetCurrentProcessId());
    RegistrySettings settings(root);
    EXPECT_EQ(settings.keyPath("QUELVO", "Data"), root + "\\Quelvo\\Data");
    EXPECT_EQ(settings.get("Left", "none"), "none");
    const std::string value = "a=b;\\\xc5\x81 x"; // UTF-8 text, stored exactly
    ASSERT_TRUE(settings.save("Left", value).ok());
    EXPECT_EQ(settings.GetSetting("QUELVO", "DATA", "left", "none"), value);
    ASSERT_TRUE(settings.save("LEFT", "").ok());
    EXPECT_EQ(settings.get("left", "none"), "");
    ASSERT_TRUE(settings.save({{"X", "1200"}, {"y", "2400"}}).ok()); // a position: one write for both
    EXPECT_EQ(settings.get("x", "") + "," + settings.get("Y", ""), "1200,2400");
    ::RegDeleteTreeW(HKEY_CURRENT_USER, toWide(root).c_str());
}

// Another program's writes (quelvoctl.exe set) are read, though values read before are kept.
TEST(WindowsSettings, RegistryReadsAnotherWritersChanges)
{
    const std::string root = "Software\\QuelvoTest" + std::to_string(::GetCurrentProcessId()) + "w";
    RegistrySettings settings(root);
    RegistrySettings other(root);
    ASSERT_TRUE(other.save("hide", "0").ok());
    EXPECT_EQ(settings.get("hide", "none"), "0");
    ASSERT_TRUE(other.save("HIDE", "1").ok());
    EXPECT_EQ(settings.get("hide", "none"), "1");
    const std::wstring path = toWide(root + "\\Quelvo\\Data");
    ASSERT_EQ(::RegDeleteKeyValueW(HKEY_CURRENT_USER, path.c_str(), L"hide"), ERROR_SUCCESS);
    EXPECT_EQ(settings.get("hide", "none"), "none");
    ::RegDeleteTreeW(HKEY_CURRENT_USER, toWide(root).c_str());
    EXPECT_EQ(settings.get("hide", "none"), "none");
    ASSERT_TRUE(other.save("hide", "2").ok()); // the key made again
    EXPECT_EQ(settings.get("hide", "none"), "2");
    ::RegDeleteTreeW(HKEY_CURRENT_USER, toWide(root).c_str());
}

// A value of another type reads as absent, but never as a silent default: readState names it.
TEST(WindowsSettings, ValueThatIsNotTextIsReported)
{
    const std::string root = "Software\\QuelvoTest" + std::to_string(::GetCurrentProcessId()) + "t";
    RegistrySettings settings(root);
    EXPECT_TRUE(settings.readState().ok()); // nothing stored yet
    ASSERT_TRUE(settings.save("24hr", "True").ok());
    EXPECT_TRUE(settings.readState().ok());
    const DWORD one = 1;
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, toWide(root + "\\Quelvo\\data").c_str(), L"24hr", REG_DWORD, &one,
                                sizeof one),
              ERROR_SUCCESS);
    EXPECT_EQ(settings.readState().error,
              "the value 24hr under HKEY_CURRENT_USER\\" + root + "\\Quelvo\\data is not text");
    EXPECT_EQ(settings.get("24hr", "False"), "False");
    ASSERT_TRUE(settings.save("24hr", "True").ok());
    EXPECT_TRUE(settings.readState().ok());
    ::RegDeleteTreeW(HKEY_CURRENT_USER, toWide(root).c_str());
}

TEST(WindowsSingleInstance, SecondCopySeesTheFirstUntilItEnds)
{
    const std::string name = "Local\\QuelvoTest." + std::to_string(::GetCurrentProcessId());
    {
        MutexInstance first(name);
        ASSERT_EQ(first.acquire(), SingleInstance::State::Only);
        MutexInstance second(name);
        EXPECT_EQ(second.acquire(), SingleInstance::State::AnotherCopyRuns);
    }
    MutexInstance third(name);
    EXPECT_EQ(third.acquire(), SingleInstance::State::Only);
}

// A later copy's knock reaches the running copy's listener, with its wish to see the window.
TEST(WindowsMessenger, KnockReachesTheRunningCopy)
{
    const std::wstring name = L"Quelvo.Test." + std::to_wstring(::GetCurrentProcessId());
    WindowMessenger later(name);
    EXPECT_FALSE(later.knock()); // nobody listens yet
    WindowMessenger running(name);
    std::vector<bool> heard;
    ASSERT_TRUE(running.listen([&heard](bool showWindow) { heard.push_back(showWindow); }));
    EXPECT_TRUE(later.knock());
    later.askToShowWindow();
    EXPECT_TRUE(later.knock());
    EXPECT_EQ(heard, (std::vector<bool>{false, true}));
}

TEST(WindowsClock, LocalReadingAndSteadyClock)
{
    SystemClock clock;
    // 2026-03-29 00:30 UTC is a Sunday; the test's zone (TZ, which Wine follows) is Berlin:
    // 01:30 winter time.
    const WallTime t = std::chrono::sys_days{std::chrono::year{2026} / 3 / 29} + std::chrono::minutes(30);
    EXPECT_EQ(clock.toLocal(t), (LocalTime{2026, 3, 29, 1, 30, 0, 0}));
    EXPECT_EQ(clock.toLocal(t + std::chrono::milliseconds(59'900)), (LocalTime{2026, 3, 29, 1, 30, 59, 0}));
    EXPECT_EQ(clock.toLocal(t + std::chrono::hours(1)), (LocalTime{2026, 3, 29, 3, 30, 0, 0})); // summer time
    const auto before = clock.steadyNow();
    ::Sleep(100); // the interrupt time moves in ticks of about 16 ms
    EXPECT_GE(clock.steadyNow() - before, std::chrono::milliseconds(60));
}

TEST(WindowsNotifyIcon, FirstVersionRecordWithFullWidthHandles)
{
    NotifyIconData data;
    data.identifier = 7;
    data.flags = kNotifyMessage | kNotifyIcon | kNotifyTip;
    data.icon = 101;
    const std::string tip(63, 't');
    std::copy(tip.begin(), tip.end(), data.tip.begin());
    const HWND window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x123456789aULL));
    const HICON icon = reinterpret_cast<HICON>(static_cast<std::uintptr_t>(0xabcdef0123ULL));
    const auto record = toShellRecord(data, window, kNotifyTip, [&](std::uint32_t n) {
        EXPECT_EQ(n, 101U);
        return icon;
    });
    EXPECT_EQ(record.cbSize, 104U); // 88 in a 32-bit program
    EXPECT_EQ(record.hWnd, window);
    EXPECT_EQ(record.hIcon, icon);
    EXPECT_EQ(record.uID, 7U);
    EXPECT_EQ(record.uFlags, 4U);
    EXPECT_EQ(record.uCallbackMessage, 512U);
    EXPECT_EQ(std::string(record.szTip), tip);

    // The tip is UTF-8 to us and in the ANSI code page to the shell, which shows the dash as a dash.
    const std::string dashed = "Quelvo \u2014 next: shut down Mon 22:00";
    std::fill(data.tip.begin(), data.tip.end(), '\0');
    std::copy(dashed.begin(), dashed.end(), data.tip.begin());
    const auto ansi = toShellRecord(data, window, kNotifyTip, {});
    wchar_t shown[64] = {};
    ::MultiByteToWideChar(CP_ACP, 0, ansi.szTip, -1, shown, 64);
    EXPECT_EQ(std::wstring(shown), L"Quelvo \u2014 next: shut down Mon 22:00");
}

// A restarted task bar gets the icon whole, as it stands now: its message, its latest picture and tip.
TEST(WindowsNotifyIcon, AddedAgainWholeAfterTheTaskBarRestarts)
{
    std::vector<std::string> sent; // "message flags callback icon tip"
    ShellNotifyIcon shell(
        nullptr, [](std::uint32_t n) { return reinterpret_cast<HICON>(static_cast<std::uintptr_t>(n)); },
        [&](std::uint32_t message, NOTIFYICONDATAA& r) {
            sent.push_back(std::to_string(message) + ' ' + std::to_string(r.uFlags) + ' ' +
                           std::to_string(r.uCallbackMessage) + ' ' +
                           std::to_string(reinterpret_cast<std::uintptr_t>(r.hIcon)) + ' ' + r.szTip);
            return true;
        });
    {
        SysTrayModel tray(shell, 1, "quelvo");
        tray.setToolTip("the latest tip");
        tray.setIconHandle(9);
        sent.clear();
        shell.addAgain();
        EXPECT_EQ(sent, std::vector<std::string>{"0 7 512 9 the latest tip"}); // NIM_ADD, every part
    }
    sent.clear();
    shell.addAgain(); // the icon went with the model: nothing to add
    EXPECT_TRUE(sent.empty());
}

// The balloon travels in the record's second-version fields and leaves the icon's picture and tip alone.
TEST(WindowsNotifyIcon, BalloonShowsTheNotificationAndPassesOnItsClick)
{
    std::vector<std::string> sent; // "message flags size id | title | text | infoFlags" or "... icon tip"
    ShellNotifyIcon shell(
        nullptr, [](std::uint32_t n) { return reinterpret_cast<HICON>(static_cast<std::uintptr_t>(n)); },
        [&](std::uint32_t message, NOTIFYICONDATAA& r) {
            std::string line = std::to_string(message) + ' ' + std::to_string(r.uFlags) + ' ' +
                               std::to_string(r.cbSize) + ' ' + std::to_string(r.uID);
            if ((r.uFlags & NIF_INFO) != 0)
                line += std::string(" | ") + r.szInfoTitle + " | " + r.szInfo + " | " + std::to_string(r.dwInfoFlags);
            else
                line += ' ' + std::to_string(reinterpret_cast<std::uintptr_t>(r.hIcon)) + ' ' + r.szTip;
            sent.push_back(line);
            return true;
        });
    SysTrayModel tray(shell, 1, "quelvo");
    tray.setIconHandle(9);
    DesktopNotifier notifier(shell, 1);
    std::vector<std::string> heard;
    sent.clear();
    ASSERT_TRUE(notifier.show({"Quelvo",
                               "Quelvo will restart this PC at 07:30 (in 5 minutes)",
                               {{"postpone", "Postpone 15 minutes"}, {"skip", "Skip this time"}}},
                              [&](std::string_view key) { heard.emplace_back(key); }));
    notifier.balloonClicked();
    notifier.balloonClicked(); // the first click took it away
    notifier.close();
    shell.addAgain();
    // NIM_MODIFY (1) with NIF_INFO (16) in the 504-byte record (488 in a 32-bit program), NIIF_INFO (1);
    // an empty text takes the balloon away; a restarted task bar gets the icon, not the balloon.
    EXPECT_EQ(sent, (std::vector<std::string>{
                        "1 16 504 1 | Quelvo | Quelvo will restart this PC at 07:30 (in 5 minutes) | 1",
                        "1 16 504 1 |  |  | 1",
                        "0 7 104 1 9 quelvo",
                    }));
    EXPECT_EQ(heard, std::vector<std::string>{"clicked"});
}

TEST(WindowsPaths, WideRoundTrip)
{
    const std::string name = "C:\\Users\\\xc5\x81ucja\\\xe6\x97\xa5\xe6\x9c\xac"; // Łucja, 日本
    EXPECT_EQ(toWide(name), L"C:\\Users\\\u0141ucja\\\u65e5\u672c");
    EXPECT_EQ(toUtf8(toWide(name)), name);
}

} // namespace
} // namespace quelvo
