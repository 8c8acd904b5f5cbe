// The schedule and settings files shared by real processes: writers killed at random
// moments, and writers and readers racing one another.

#include "platform/linux/posix_file_system.h"
#include "platform/linux/settings_store.h"
#include "schedule/event_line.h"
#include "schedule/schedule_file.h"

#include "fakes/temp_home.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <regex>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quelvo {
namespace {

const std::string kLines[] = {
    "On Mon at 07:30 AM, Shut Down, Repeat daily",
    "On Fri at 11:45 PM, Reboot,    Don't repeat",
    "On Sun at 23:05   , Shut Down, Don't repeat",
};

// Runs `body` in a child process; its exit code is 0 when the body returned true.
pid_t spawn(const std::function<bool()>& body)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body() ? 0 : 1);
    return pid;
}

int waitFor(pid_t pid)
{
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Every line one the writer writes (in either letter case), each ended by CR LF.
bool wholeSchedule(const std::string& bytes)
{
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const auto end = rest.find("\r\n");
        if (end == std::string_view::npos)
            return false;
        bool known = false;
        for (const auto& line : kLines)
            known = known || equalsIgnoringCase(rest.substr(0, end), line);
        if (!known)
            return false;
        rest.remove_prefix(end + 2);
    }
    return true;
}

// A settings file as the store writes it reads back to the very same text.
bool wholeSettings(const std::string& text)
{
    return SettingsStore::serialize(SettingsStore::parse(text)) == text;
}

struct FileIntegrity : ::testing::Test
{
    test::TempHome home;
    std::string folder = home.root().string();
    PosixFileSystem fs;
    ScheduleFile schedule{fs, folder};
    std::string settingsPath = folder + "/settings.ini";
    std::mt19937 random{20261208}; // fixed: a failure reruns the same way
};

// Kills a writer at random moments `kills` times; after each kill checks both files with
// `whole` and returns how many kills left a torn file.
int killWriterRepeatedly(FileIntegrity& t, int kills, const std::function<bool()>& writer,
                         const std::function<void()>& afterEachKill)
{
    std::uniform_int_distribution<int> delayUs(0, 4000);
    int torn = 0;
    for (int i = 0; i < kills; ++i) {
        const pid_t pid = spawn(writer);
        ::usleep(static_cast<useconds_t>(delayUs(t.random)));
        ::kill(pid, SIGKILL);
        waitFor(pid);
        const auto events = t.fs.readAll(t.schedule.eventsPath());
        const auto settings = t.fs.readAll(t.settingsPath);
        if (!events || !wholeSchedule(*events) || (settings && !wholeSettings(*settings)))
            ++torn;
        afterEachKill();
    }
    return torn;
}

TEST_F(FileIntegrity, AKilledWriterLeavesWholeFilesAndNothingThatChangesTheNextRun)
{
    ASSERT_TRUE(schedule.append(kLines[0]).ok());
    const auto writer = [this] {
        SettingsStore store(fs, settingsPath);
        for (int i = 0;; ++i) {
            (void)schedule.append(kLines[i % 3]);
            (void)schedule.append(kLines[(i + 1) % 3]);
            (void)schedule.deleteevent(kLines[(i + 2) % 3]);
            (void)schedule.dropevent(kLines[i % 3]);
            if (i % 3 == 0)
                (void)schedule.empty();
            (void)store.save("x" + std::to_string(i % 5), std::string(static_cast<std::size_t>(i % 200), 'v'));
        }
        return true;
    };
    // The next run removes a line: its result is what the file held, less that line, whatever
    // scratch file the killed writer left behind.
    int run = 0;
    const auto nextRun = [this, &run] {
        const std::string before = fs.readAll(schedule.eventsPath()).value_or("");
        std::string expected;
        for (const std::string& line : splitLines(before)) {
            if (!equalsIgnoringCase(line, kLines[1]))
                expected += line + "\r\n";
        }
        ASSERT_TRUE(schedule.deleteevent(kLines[1]).ok());
        EXPECT_EQ(fs.readAll(schedule.eventsPath()), expected);
        ASSERT_TRUE(schedule.append(kLines[1]).ok());
        // Likewise a save keeps what the killed writer left and adds its own value.
        const std::string left = SettingsStore(fs, settingsPath).get("x1", "none");
        ASSERT_TRUE(SettingsStore(fs, settingsPath).save("next", std::to_string(++run)).ok());
        SettingsStore after(fs, settingsPath);
        EXPECT_EQ(after.get("next", ""), std::to_string(run));
        EXPECT_EQ(after.get("x1", "none"), left);
    };
    EXPECT_EQ(killWriterRepeatedly(*this, 200, writer, nextRun), 0);
}

TEST_F(FileIntegrity, RacingWritersLoseNothingAndReadersSeeWholeFiles)
{
    constexpr int kAdds = 40;
    constexpr int kDeletes = 30;
    std::string preload;
    for (int k = 0; k < 2 * kDeletes; ++k)
        preload += "del-" + std::to_string(k) + "\r\n";
    ASSERT_TRUE(fs.replaceContents(schedule.eventsPath(), "setup", preload, NewFileAccess::Readable).ok());
    ASSERT_TRUE(SettingsStore(fs, settingsPath).save("start", "1").ok());

    std::vector<pid_t> writers;
    for (int p = 0; p < 2; ++p) {
        writers.push_back(spawn([&, p] {
            bool ok = true;
            for (int i = 0; i < kAdds; ++i)
                ok = schedule.append("add-" + std::to_string(p) + "-" + std::to_string(i)).ok() && ok;
            return ok;
        }));
        writers.push_back(spawn([&, p] {
            bool ok = true;
            for (int k = p; k < 2 * kDeletes; k += 2)
                ok = schedule.deleteevent("del-" + std::to_string(k)).ok() && ok;
            return ok;
        }));
        writers.push_back(spawn([&, p] {
            SettingsStore store(fs, settingsPath);
            bool ok = true;
            for (int i = 0; i < kAdds; ++i)
                ok = store.save("p" + std::to_string(p) + "k" + std::to_string(i), std::to_string(i)).ok() && ok;
            return ok;
        }));
    }
    const pid_t reader = spawn([&] {
        const std::regex line("add-[01]-[0-9]+|del-[0-9]+");
        for (int i = 0; i < 300; ++i) {
            const ScheduleRead read = schedule.read();
            const auto settings = fs.readAll(settingsPath);
            if (!read.io.ok() || !settings || !wholeSettings(*settings))
                return false;
            for (const auto& l : read.lines) {
                if (!std::regex_match(l, line))
                    return false;
            }
        }
        return true;
    });
    for (const pid_t pid : writers)
        EXPECT_EQ(waitFor(pid), 0) << "a writer reported a failure";
    EXPECT_EQ(waitFor(reader), 0) << "a reader saw a torn or unreadable file";

    std::multiset<std::string> expected;
    for (int p = 0; p < 2; ++p) {
        for (int i = 0; i < kAdds; ++i)
            expected.insert("add-" + std::to_string(p) + "-" + std::to_string(i));
    }
    const std::vector<std::string> lines = schedule.read().lines;
    EXPECT_EQ(std::multiset<std::string>(lines.begin(), lines.end()), expected);
    SettingsStore store(fs, settingsPath);
    for (int p = 0; p < 2; ++p) {
        for (int i = 0; i < kAdds; ++i)
            EXPECT_EQ(store.get("p" + std::to_string(p) + "k" + std::to_string(i), "lost"), std::to_string(i));
    }
}

} // namespace
} // namespace quelvo
