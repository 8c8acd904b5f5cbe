#include "app/ctl_rig.h"
#include "schedule/event_editor.h"

#include <cerrno>
#include <functional>
#include <sstream>
#include <utility>

#ifndef _WIN32
#include "fakes/temp_home.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace quelvo {
namespace {

const std::string kEvents = "/opt/quelvo/events.ini";
const std::string kNothingSelected =
    "Sorry, you have to select an entry from the above list before I can delete anything.\n";

const std::string kMon = "On Mon at 07:30 AM, Shut Down, Repeat daily";
const std::string kWed = "On Wed at 11:45 PM, Reboot,    Don't repeat";

using Args = std::vector<std::string>;

using Result = test::CtlResult;
using QuelvoctlTest = test::CtlRig;

TEST_F(QuelvoctlTest, ListsRowsInDisplayOrderAndRawLinesInFileOrder)
{
    fs.put(kEvents, kMon + "\r\nno comma\n" + kWed + "\r\n");
    Result r = run({"list"});
    EXPECT_EQ(r.code, kCtlOk);
    EXPECT_EQ(r.out, " Wed at 11:45 PM\t Reboot\t    Don't repeat\n Mon at 07:30 AM\t Shut Down\t Repeat daily\n");
    r = run({"list", "--raw"});
    EXPECT_EQ(r.code, kCtlOk);
    EXPECT_EQ(r.out, kMon + "\nno comma\n" + kWed + "\n");
}

TEST_F(QuelvoctlTest, ReadingCommandsCreateNothing)
{
    // A folder without a schedule, such as /dev: an empty schedule, and left as it was.
    for (const Args& args : {Args{"list"}, Args{"list", "--json"}, Args{"export"}, Args{"due", "2026-12-07 07:30"}}) {
        Args all = {"--folder", "/dev"};
        all.insert(all.end(), args.begin(), args.end());
        EXPECT_EQ(run(all).code, args[0] == "due" ? kCtlNothing : kCtlOk) << args[0];
    }
    EXPECT_TRUE(fs.folders.empty());
    EXPECT_EQ(fs.writes, 0);
}

TEST_F(QuelvoctlTest, DeletesTheEventOfARow)
{
    fs.put(kEvents, kMon + "\r\n" + kWed + "\r\n" + kMon + "\r\n");
    const Result r = run({"delete", "2"}); // the Monday row: Wed sorts first
    EXPECT_EQ(r.code, kCtlOk) << r.err;
    EXPECT_EQ(fs.content(kEvents), kWed + "\r\n"); // both copies gone
}

TEST_F(QuelvoctlTest, RejectsRowsThatDontExist)
{
    fs.put(kEvents, kMon + "\r\n");
    const std::string before = *fs.content(kEvents);
    for (const std::vector<std::string>& args : {std::vector<std::string>{"delete"},
                                                 {"delete", "0"},
                                                 {"delete", "2"},
                                                 {"delete", "-1"},
                                                 {"delete", "1x"},
                                                 {"delete", ""},
                                                 {"delete", "99999999999999999999999"}}) {
        const Result r = run(args);
        // A row number past the list is a row that may have been there a moment ago: nothing done.
        const bool pastTheList = args.size() == 2 && args[1] == "2";
        EXPECT_EQ(r.code, pastTheList ? kCtlNothing : kCtlUsage) << args.back();
        EXPECT_EQ(r.err, pastTheList ? "quelvoctl: no such event\n" : kNothingSelected) << args.back();
        EXPECT_EQ(fs.content(kEvents), before);
    }
}

TEST_F(QuelvoctlTest, AScheduleThatCantBeReadIsAnErrorNotAnEmptyList)
{
    const struct
    {
        const char* what;
        void (*inject)(test::FakeFileSystem&);
        std::string err;
    } faults[] = {
        {"unreadable", [](test::FakeFileSystem& fs) { fs.failRead.insert(kEvents); },
         "quelvoctl: injected: cannot read /opt/quelvo/events.ini\n"},
        {"a FIFO", [](test::FakeFileSystem& fs) { fs.special.insert(kEvents); },
         "quelvoctl: /opt/quelvo/events.ini is a FIFO, not a regular file\n"},
    };
    for (const auto& f : faults) {
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"list"}, {"list", "--raw"}, {"delete", "1"}, {"due", "2026-12-07 07:30"}}) {
            fs.put(kEvents, kMon + "\r\n");
            f.inject(fs);
            const Result r = run(args);
            EXPECT_EQ(r.code, kCtlFailed) << f.what << ' ' << args[0];
            EXPECT_EQ(r.err, f.err) << f.what << ' ' << args[0];
            EXPECT_EQ(r.out, "") << f.what << ' ' << args[0];
            EXPECT_EQ(fs.content(kEvents), kMon + "\r\n");
            fs.failRead.clear();
            fs.special.clear();
        }
    }
}

TEST_F(QuelvoctlTest, EveryFailedChangeSaysWhyAndKeepsTheSchedule)
{
    const std::string kTemp = "/opt/quelvo/temp.ini";
    const struct
    {
        const char* what;
        void (*inject)(test::FakeFileSystem&);
        std::string reason;
    } faults[] = {
        {"no lock", [](test::FakeFileSystem& fs) { fs.failLock = true; }, "cannot lock"},
        {"no write", [](test::FakeFileSystem& fs) { fs.failWrite.insert(kEvents); }, "injected"},
        {"no scratch file", [](test::FakeFileSystem& fs) { fs.failCreate.insert("/opt/quelvo/temp.ini"); },
         "cannot create /opt/quelvo/temp.ini"},
        {"no rename", [](test::FakeFileSystem& fs) { fs.failReplace = true; }, "cannot rename over"},
        {"a leftover that stays",
         [](test::FakeFileSystem& fs) {
             fs.put("/opt/quelvo/temp.ini", "left");
             fs.failRemove.insert("/opt/quelvo/temp.ini");
         },
         "cannot remove"},
    };
    const std::vector<std::string> commands[] = {
        {"add", "--days", "mon", "--hour", "7", "--minute", "30", "--ampm", "AM", "--shutdown"},
        {"delete", "1"},
        {"clear", "--yes"},
    };
    for (const auto& f : faults) {
        for (const auto& args : commands) {
            const bool writesInPlace = args[0] == "add";
            if (writesInPlace && std::string(f.what) != "no lock" && std::string(f.what) != "no write")
                continue; // an append has no scratch file
            fs = test::FakeFileSystem();
            fs.put(kEvents, kWed + "\r\n");
            f.inject(fs);
            const Result r = run(args);
            EXPECT_EQ(r.code, kCtlFailed) << f.what << ' ' << args[0];
            EXPECT_NE(r.err.find(f.reason), std::string::npos) << f.what << ' ' << args[0] << ": " << r.err;
            EXPECT_EQ(r.out, "") << f.what << ' ' << args[0]; // no line claimed that isn't in the file
            EXPECT_EQ(fs.content(kEvents), kWed + "\r\n") << f.what << ' ' << args[0];
            EXPECT_EQ(fs.content(kTemp), std::string(f.what) == "a leftover that stays"
                                             ? std::optional<std::string>("left")
                                             : std::nullopt);
        }
    }
}

TEST_F(QuelvoctlTest, EveryChangeHoldsTheLockAndAddStartsOnANewLine)
{
    fs.put(kEvents, kMon); // no final line end
    EXPECT_TRUE(settings.save("24hr", "False").ok());
    EXPECT_EQ(run({"add", "--days", "wed", "--hour", "11", "--minute", "45", "--ampm", "PM", "--reboot"}).code, kCtlOk);
    EXPECT_EQ(fs.content(kEvents), kMon + "\r\n" + kWed + "\r\n");
    EXPECT_EQ(run({"delete", "1"}).code, kCtlOk);
    EXPECT_EQ(run({"clear", "--yes"}).code, kCtlOk);
    EXPECT_EQ(fs.content(kEvents), "");
    EXPECT_EQ(fs.unlockedWrites, 0);
    EXPECT_EQ(fs.exclusiveHeld + fs.sharedHeld, 0); // none held after the command
}

TEST_F(QuelvoctlTest, ClearActsOnlyOnYes)
{
    const struct
    {
        std::vector<std::string> args;
        std::string input;
        bool interactive;
        int code;
        bool emptied;
    } cases[] = {
        {{"clear", "--yes"}, "", false, kCtlOk, true},
        {{"clear"}, "", false, kCtlUsage, false}, // a script must say --yes
        {{"clear"}, "y\n", true, kCtlOk, true},
        {{"clear"}, " YES \n", true, kCtlOk, true},
        {{"clear"}, "n\n", true, kCtlNothing, false},
        {{"clear"}, "yess\n", true, kCtlNothing, false},
        {{"clear"}, "", true, kCtlNothing, false}, // end of input
        {{"clear", "--force"}, "", false, kCtlUsage, false},
    };
    for (const auto& c : cases) {
        fs.put(kEvents, kMon + "\r\n");
        const Result r = run(c.args, c.input, c.interactive);
        EXPECT_EQ(r.code, c.code) << c.input;
        EXPECT_EQ(fs.content(kEvents), c.emptied ? "" : kMon + "\r\n") << c.input;
        if (c.interactive) {
            EXPECT_EQ(r.out.find("Are you sure you want to delete all of the events from the list?"), 0u);
        }
    }
}

TEST_F(QuelvoctlTest, AddAppendsTheEditorsLinesInTheStoredMode)
{
    const struct
    {
        const char* mode; // `24hr`; nullptr when not stored
        Args args;
        std::string lines;
    } cases[] = {
        // Days in any order and twice still give one line per day, Monday first; the numbers are padded.
        {nullptr,
         {"add", "--days", "fri,mon,mon", "--hour", "7", "--minute", "5", "--ampm", "pm", "--shutdown", "--repeat"},
         "On Mon at 07:05 PM, Shut Down, Repeat daily\nOn Fri at 07:05 PM, Shut Down, Repeat daily\n"},
        {"False",
         {"add", "--reboot", "--ampm", "AM", "--minute", "00", "--hour", "12", "--days", "sun"},
         "On Sun at 12:00 AM, Reboot,    Don't repeat\n"},
        {"True",
         {"add", "--days", "sat", "--hour", "23", "--minute", "59", "--shutdown"},
         "On Sat at 23:59   , Shut Down, Don't repeat\n"},
        // Saved in 12-hour form, matched in 24-hour form: said, not silently stored.
        {"true",
         {"add", "--days", "sat", "--hour", "7", "--minute", "15", "--ampm", "PM", "--shutdown"},
         "On Sat at 07:15 PM, Shut Down, Don't repeat\n"},
    };
    for (const auto& c : cases) {
        fs.put(kEvents, kMon + "\r\n");
        if (c.mode) {
            ASSERT_TRUE(settings.save("24hr", c.mode).ok());
        }
        const Result r = run(c.args);
        EXPECT_EQ(r.code, kCtlOk) << r.err;
        EXPECT_EQ(r.out, c.lines);
        const bool split = c.mode != nullptr && std::string(c.mode) == "true";
        EXPECT_EQ(r.err.starts_with("quelvoctl: warning: 24hr is \"true\", not \"True\" or \"False\""), split) << r.err;
        std::string stored = c.lines;
        for (std::size_t at = stored.find('\n'); at != std::string::npos; at = stored.find('\n', at + 2))
            stored.insert(at, "\r");
        EXPECT_EQ(fs.content(kEvents), kMon + "\r\n" + stored);
    }
}

TEST_F(QuelvoctlTest, AddMakesTheFolderAndTheSchedule)
{
    const Result r = run({"--folder", "/new", "add", "--days", "wed", "--hour", "1", "--minute", "2", "--ampm", "AM",
                          "--reboot", "--repeat"});
    EXPECT_EQ(r.code, kCtlOk) << r.err;
    EXPECT_EQ(fs.folders.count("/new"), 1u);
    EXPECT_EQ(fs.content("/new/events.ini"), "On Wed at 01:02 AM, Reboot,    Repeat daily\r\n");
}

// The editor checks what add hands it (its own tests hold the cases): a missing or empty option is
// an empty box, and the editor's message is the whole of stderr.
TEST_F(QuelvoctlTest, AddShowsTheEditorsMessageAndWritesNothing)
{
    const struct
    {
        Args args;
        std::string_view message;
    } cases[] = {
        {{"add", "--hour", "7", "--minute", "30", "--ampm", "AM", "--shutdown"}, kNoDayMessage},
        {{"add", "--days", "", "--hour", "7", "--minute", "30", "--ampm", "AM", "--shutdown"}, kNoDayMessage},
        {{"add", "--days", "mon", "--hour", "7", "--minute", "30", "--shutdown"}, kAmPmMessage},
        {{"add", "--days", "mon", "--hour", "7", "--minute", "30", "--ampm", "AM"}, kNoActionMessage},
    };
    for (const auto& c : cases) {
        const Result r = run(c.args);
        EXPECT_EQ(r.code, kCtlUsage) << c.message;
        EXPECT_EQ(r.err, std::string(c.message) + "\n");
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(fs.exists(kEvents)) << c.message;
    }
}

TEST_F(QuelvoctlTest, AddRejectsUnknownDaysAndOptions)
{
    const Args bad[] = {
        {"add", "--days", "mon,funday", "--hour", "7", "--minute", "30", "--ampm", "AM", "--shutdown"},
        {"add", "--days", "Mon", "--hour", "7", "--minute", "30", "--ampm", "AM", "--shutdown"},
        {"add", "--days", "mon,", "--hour", "7", "--minute", "30", "--ampm", "AM", "--shutdown"},
        {"add", "--days", "monday", "--hour", "7", "--minute", "30", "--ampm", "AM", "--shutdown"},
        {"add", "--days", "mon", "--hour", "7", "--minute", "30", "--ampm", "AM", "--halt"},
        {"add", "--days", "mon", "--shutdown", "--hour"},
    };
    for (const auto& args : bad) {
        const Result r = run(args);
        EXPECT_EQ(r.code, kCtlUsage) << args[2];
        EXPECT_NE(r.err.find("usage: quelvoctl add"), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(fs.exists(kEvents));
    }
    EXPECT_NE(run(bad[0]).err.find("unknown day 'funday'"), std::string::npos);
}

TEST_F(QuelvoctlTest, DueNamesTheLineThatWouldFire)
{
    const std::string kUpper = "ON TUE AT 12:00 AM, REBOOT,    DON'T REPEAT";
    const std::string k24 = "On Mon at 13:05   , Shut Down, Don't repeat";
    const std::string kSecond = "On Mon at 07:30 AM, Reboot,    Don't repeat";
    const std::string file = kMon + "\r\n" + kWed + "\r\n" + kUpper + "\r\n" + k24 + "\r\n" + kSecond + "\r\n";
    const struct
    {
        const char* mode;
        std::string when;
        int code;
        std::string out;
    } cases[] = {
        {nullptr, "2026-12-07 07:30", kCtlOk, kMon + "\tshutdown\tkeep\n"}, // the first of two in that minute
        {"False", "2026-12-08 00:00", kCtlOk, kUpper + "\treboot\tdrop\n"}, // printed as stored
        {"False", "2026-12-07 07:31", kCtlNothing, ""},
        // The checker's reading of the mode, not the editor's: anything but "False" is 24-hour.
        {"yes", "2026-12-07 13:05", kCtlOk, k24 + "\tshutdown\tdrop\n"},
    };
    for (const auto& c : cases) {
        fs.put(kEvents, file);
        if (c.mode) {
            ASSERT_TRUE(settings.save("24hr", c.mode).ok());
        }
        const int writes = settings.writes;
        const Result r = run({"due", c.when});
        EXPECT_EQ(r.code, c.code) << c.when;
        EXPECT_EQ(r.out, c.out) << c.when;
        EXPECT_EQ(fs.content(kEvents), file);
        EXPECT_EQ(settings.writes, writes);
        EXPECT_EQ(settings.get("lastfired", "none"), "none");
    }
}

TEST_F(QuelvoctlTest, DueRejectsBadDatesAndCreatesNothing)
{
    const Args bad[] = {
        {"due"},
        {"due", "2026-12-07"},
        {"due", "2026-12-07 07:30:00"},
        {"due", "2026-12-07T07:30"},
        {"due", "2026-12-07 7:30 "},
        {"due", "2026-13-01 07:30"},
        {"due", "2026-02-29 07:30"}, // not a leap year
        {"due", "2026-12-00 07:30"},
        {"due", "2026-12-07 24:00"},
        {"due", "2026-12-07 07:60"},
        {"due", "2026-12-07 +7:30"},
        {"due", "2026-12-07", "07:30"},
    };
    for (const auto& args : bad) {
        const Result r = run(args);
        EXPECT_EQ(r.code, kCtlUsage) << args.back();
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_EQ(run({"due", "2028-02-29 07:30"}).code, kCtlNothing); // a leap day, no schedule
    EXPECT_FALSE(fs.exists(kEvents));
}

TEST_F(QuelvoctlTest, InAddsTheQuickActionsOneOffEvent)
{
    const struct
    {
        const char* mode;
        LocalTime now;
        Args args;
        std::string line;
        std::string message;
    } cases[] = {
        {nullptr,
         {2026, 12, 7, 11, 50, 0, 1},
         {"in", "15", "reboot"},
         "On Mon at 12:05 PM, Reboot,    Don't repeat",
         "This computer will ReBoot in 15 minutes"},
        // Past midnight, on the 24-hour clock: the next weekday's line.
        {"True",
         {2026, 12, 13, 23, 30, 0, 0},
         {"in", "60", "shutdown"},
         "On Mon at 00:30   , Shut Down, Don't repeat",
         "This computer will ShutDown in 60 minutes"},
    };
    for (const auto& c : cases) {
        fs.put(kEvents, kMon + "\r\n");
        if (c.mode) {
            ASSERT_TRUE(settings.save("24hr", c.mode).ok());
        }
        clock.set(c.now);
        const Result r = run(c.args);
        EXPECT_EQ(r.code, kCtlOk) << r.err;
        EXPECT_EQ(r.out, c.line + "\n" + c.message + "\n");
        EXPECT_EQ(fs.content(kEvents), kMon + "\r\n" + c.line + "\r\n");
    }
}

TEST_F(QuelvoctlTest, InTakesOnlyTheQuickActionsChoices)
{
    const Args bad[] = {
        {"in"},
        {"in", "5"},
        {"in", "10", "shutdown"},
        {"in", "05", "shutdown"},
        {"in", "-5", "reboot"},
        {"in", "5", "halt"},
        {"in", "5", "Shutdown"},
        {"in", "5", "shutdown", "now"},
    };
    for (const auto& args : bad) {
        const Result r = run(args);
        EXPECT_EQ(r.code, kCtlUsage) << args.size();
        EXPECT_NE(r.err.find("usage: quelvoctl in"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(fs.exists(kEvents));
}

// Where the administrator has turned the user's own schedule off, each command that makes, changes or acts
// on it is refused before anything is read or written; those that only read it work as before.
TEST_F(QuelvoctlTest, ATurnedOffScheduleCanBeReadButNotChanged)
{
    fs.put(kEvents, kMon + "\r\n");
    policy.userSchedule = false;
    const int writes = fs.writes;
    const Args changes[] = {
        {"add", "--days", "mon", "--hour", "8", "--minute", "0", "--ampm", "AM", "--shutdown"},
        {"in", "15", "reboot"},
        {"delete", "1"},
        {"clear", "--yes"},
        {"import", "-"},
        {"skip", "1"},
        {"unskip"},
    };
    for (const Args& args : changes) {
        const Result r = run(args, kWed + "\r\n");
        EXPECT_EQ(r.code, kCtlFailed) << args[0];
        EXPECT_EQ(r.err, "quelvoctl: " + args[0] +
                             " is refused: Your administrator has turned off schedules of your own on this PC.\n");
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(fs.writes, writes);
    EXPECT_EQ(settings.get("skips", ""), "");
    for (const Args& args : {Args{"list", "--raw"}, Args{"export"}, Args{"next"}, Args{"history"}}) {
        const Result r = run(args);
        EXPECT_EQ(r.code, kCtlOk) << args[0] << ": " << r.err;
        EXPECT_EQ(r.out.empty(), args[0] == "history") << args[0];
    }
}

TEST_F(QuelvoctlTest, GetsAndSetsSettings)
{
    Result r = run({"get", "forced", "True"});
    EXPECT_EQ(r.code, kCtlOk);
    EXPECT_EQ(r.out, "True\n");
    EXPECT_EQ(run({"get", "forced"}).out, "\n");
    EXPECT_EQ(run({"set", "Forced", "False"}).code, kCtlOk);
    EXPECT_EQ(settings.GetSetting("QUELVO", "Data", "forced", ""), "False");
    EXPECT_EQ(run({"get", "FORCED", "True"}).out, "False\n");

    // Flag settings take only the values the program writes; other keys take anything.
    const struct
    {
        std::vector<std::string> args;
        int code;
    } sets[] = {
        {{"set", "24hr", "true"}, kCtlUsage}, {{"set", "24HR", "1"}, kCtlUsage},  {{"set", "pause", "yes"}, kCtlUsage},
        {{"set", "hide", "True"}, kCtlUsage}, {{"set", "forced", ""}, kCtlUsage}, {{"set", "24hr", "True"}, kCtlOk},
        {{"set", "pause", "False"}, kCtlOk},  {{"set", "hide", "1"}, kCtlOk},     {{"set", "x", "true"}, kCtlOk},
    };
    for (const auto& c : sets) {
        const std::string before = settings.get(c.args[1], "(none)");
        r = run(c.args);
        EXPECT_EQ(r.code, c.code) << c.args[1] << '=' << c.args[2];
        EXPECT_EQ(settings.get(c.args[1], "(none)"), c.code == kCtlOk ? c.args[2] : before) << c.args[1];
    }
    EXPECT_EQ(run({"set", "24hr", "on"}).err, "usage: quelvoctl set 24hr True|False\n");

    settings.failWith = "disk full";
    r = run({"set", "x", "1"});
    EXPECT_EQ(r.code, kCtlFailed);
    EXPECT_EQ(r.err, "quelvoctl: disk full\n");
}

TEST_F(QuelvoctlTest, UsageErrorsExitWithTwo)
{
    const std::vector<std::string> bad[] = {
        {},      {"frobnicate"}, {"--bogus", "list"},    {"--folder"}, {"--folder", "", "list"}, {"list", "extra"},
        {"get"}, {"set", "x"},   {"get", "a", "b", "c"},
    };
    for (const auto& args : bad) {
        const Result r = run(args);
        EXPECT_EQ(r.code, kCtlUsage) << (args.empty() ? "" : args[0]);
        EXPECT_FALSE(r.err.empty());
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(run({"--version"}).out, "quelvoctl 2.4.0\n");
    const Result help = run({"--help"});
    EXPECT_EQ(help.code, kCtlOk);
    EXPECT_NE(help.out.find("delete ROW"), std::string::npos);
}

TEST_F(QuelvoctlTest, RefusesRatherThanGuessLoseOrEmpty)
{
    const std::string kHeld = "quelvoctl: another program holds the schedule (/opt/quelvo/events.ini.lock)\n";
    const std::string kUnreadable = "quelvoctl: settings.ini: Permission denied\n";
    const std::string kNoEvents = "quelvoctl: the file holds no events; use --allow-empty to empty the schedule\n";
    const std::string kOld = kMon + "\r\n";
    const Args add = {"add", "--days", "mon", "--hour", "7", "--minute", "30", "--ampm", "AM", "--shutdown"};
    const std::string kTooLarge = "quelvoctl: standard input is larger than 16777216 bytes\n";
    const std::string kBadEnd = "-: and 5 more bad lines\nquelvoctl: nothing imported\n";
    std::string badLines;
    for (int i = 0; i < 25; ++i)
        badLines += "x\n";
    enum Fault { None, SettingsUnreadable, LockHeld };
    const struct
    {
        Args args;
        std::string input;
        Fault fault;
        std::string before;
        int code;
        std::string errEnd; // how stderr ends
        std::string after;
    } cases[] = {
        // A lost export is an empty file: it empties the schedule only when asked to.
        {{"import", "-"}, "\n  \r\n", None, kOld, kCtlUsage, kNoEvents, kOld},
        {{"import", "--allow-empty", "-"}, "", None, kOld, kCtlOk, "", ""},
        {{"import", "-"}, "", None, "", kCtlNothing, "", ""},
        // Input is held to a schedule's limit: the limit itself is read (and holds no events), a byte more is not.
        {{"import", "-"}, std::string(16 * 1024 * 1024, '\n'), None, kOld, kCtlUsage, kNoEvents, kOld},
        {{"import", "-"}, std::string(16 * 1024 * 1024 + 1, '\n'), None, kOld, kCtlFailed, kTooLarge, kOld},
        {{"import", "-"}, badLines, None, kOld, kCtlUsage, kBadEnd, kOld},
        // No clock mode is guessed for settings that are there but can't be read.
        {add, "", SettingsUnreadable, kOld, kCtlFailed, kUnreadable, kOld},
        {{"in", "15", "reboot"}, "", SettingsUnreadable, kOld, kCtlFailed, kUnreadable, kOld},
        {{"due", "2026-12-07 07:30"}, "", SettingsUnreadable, kOld, kCtlFailed, kUnreadable, kOld},
        {{"import", "-"}, kWed + "\n", SettingsUnreadable, kOld, kCtlFailed, kUnreadable, kOld},
        // Another program's lock ends a command that reads, rewrites or appends to the schedule.
        {{"export"}, "", LockHeld, kOld, kCtlFailed, kHeld, kOld},
        {{"delete", "1"}, "", LockHeld, kOld, kCtlFailed, kHeld, kOld},
        {add, "", LockHeld, kOld, kCtlFailed, kHeld, kOld},
    };
    for (const auto& c : cases) {
        fs = test::FakeFileSystem();
        fs.put(kEvents, c.before);
        settings.readFailure = c.fault == SettingsUnreadable ? "settings.ini: Permission denied" : "";
        if (c.fault == LockHeld)
            fs.heldByOther.insert(kEvents + ".lock");
        const Result r = run(c.args, c.input);
        EXPECT_EQ(r.code, c.code) << c.args[0] << ' ' << c.fault;
        EXPECT_TRUE(r.err.ends_with(c.errEnd) && (r.err.empty() == c.errEnd.empty())) << r.err;
        EXPECT_EQ(fs.content(kEvents), c.after) << c.args[0] << ' ' << c.fault;
    }
}

TEST_F(QuelvoctlTest, DeletesOfTheSameRowAtOnceNeverDeleteTheSameEventTwice)
{
    const struct
    {
        std::string before;
        int code; // of the command that locks last
        std::string err;
    } cases[] = {
        {kMon + "\r\n" + kWed + "\r\n", kCtlOk, ""},                // two events: both go
        {kMon + "\r\n", kCtlNothing, "quelvoctl: no such event\n"}, // one: the second finds none
    };
    for (const auto& c : cases) {
        fs.put(kEvents, c.before);
        // A second command started at the same moment runs from start to end just before this one locks.
        Result other{};
        fs.beforeExclusiveLock = [&] { other = run({"delete", "1"}); };
        const Result late = run({"delete", "1"});
        EXPECT_EQ(other.code, kCtlOk) << other.err;
        EXPECT_EQ(late.code, c.code) << late.err;
        EXPECT_EQ(late.err, c.err);
        EXPECT_EQ(fs.content(kEvents), "");
    }
}

// Output that fails as on a full disk or a pipe nobody reads any more.
struct FailingOutput final : std::streambuf
{
    int error = 0;
    int_type overflow(int_type) override
    {
        errno = error;
        return traits_type::eof();
    }
};

TEST_F(QuelvoctlTest, OutputThatCannotBeWrittenFailsTheCommand)
{
    fs.put(kEvents, kMon + "\r\n");
    for (const int error : {ENOSPC, EPIPE}) {
        FailingOutput failing;
        failing.error = error;
        std::ostream out(&failing);
        std::istringstream none;
        const Result r = runWith({"list", "--json"}, none, &out);
        EXPECT_EQ(r.code, kCtlFailed);
        // A reader that went away is no news to anyone; a full disk is.
        EXPECT_EQ(r.err, error == EPIPE ? "" : "quelvoctl: cannot write the output: No space left on device\n");
    }
}

#ifndef _WIN32
// The built program, whose output is a real file that only takes what is flushed to it: stdout on
// /dev/full or on a pipe nobody reads; SIGPIPE ignored, as some parents leave it. Its status and stderr.
std::pair<int, std::string> exportTo(bool closedPipe, const std::string& folder)
{
    int err[2];
    int out[2];
    if (::pipe(err) != 0 || ::pipe(out) != 0)
        return {-1, "no pipe"};
    ::close(out[0]); // closed before the program starts, so that no write can reach a reader
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(closedPipe ? out[1] : ::open("/dev/full", O_WRONLY), STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::signal(SIGPIPE, SIG_IGN);
        ::execl(QUELVOCTL_PATH, "quelvoctl", "--folder", folder.c_str(), "export", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    std::string text;
    char buffer[512];
    for (ssize_t n; (n = ::read(err[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(err[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text};
}

TEST(QuelvoctlProgram, ExportToAFullDiskFailsAndToAClosedPipeEndsQuietly)
{
    test::TempHome home;
    std::ofstream(home.path("events.ini"), std::ios::binary) << kMon << "\r\n";
    EXPECT_EQ(exportTo(false, home.root().string()),
              std::make_pair(kCtlFailed, std::string("quelvoctl: cannot write the output: No space left on device\n")));
    EXPECT_EQ(exportTo(true, home.root().string()), std::make_pair(kCtlFailed, std::string()));
}
#endif

} // namespace
} // namespace quelvo
