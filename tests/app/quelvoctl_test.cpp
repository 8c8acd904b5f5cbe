#include "app/ctl.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_settings.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quelvo {
namespace {

const std::string kFolder = "/opt/quelvo";
const std::string kEvents = "/opt/quelvo/events.ini";
const std::string kNothingSelected =
    "Sorry, you have to select an entry from the above list before I can delete anything.\n";

const std::string kMon = "On Mon at 07:30 AM, Shut Down, Repeat daily";
const std::string kWed = "On Wed at 11:45 PM, Reboot,    Don't repeat";

struct Result
{
    int code;
    std::string out;
    std::string err;
};

struct QuelvoctlTest : ::testing::Test
{
    Result run(const std::vector<std::string>& args, const std::string& input = {}, bool interactive = false)
    {
        std::ostringstream out;
        std::ostringstream err;
        std::istringstream in(input);
        CtlContext ctx{fs, settings, clock, kFolder, out, err, in};
        ctx.interactive = interactive;
        std::vector<CtlCommand> commands = scheduleCommands();
        const auto more = settingsCommands();
        commands.insert(commands.end(), more.begin(), more.end());
        const int code = runQuelvoctl(args, ctx, commands);
        return {code, out.str(), err.str()};
    }

    test::FakeFileSystem fs;
    test::FakeSettings settings;
    test::FakeClock clock;
};

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

TEST_F(QuelvoctlTest, CreatesTheScheduleWhenMissing)
{
    const Result r = run({"--folder", "/elsewhere", "list"});
    EXPECT_EQ(r.code, kCtlOk);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(fs.content("/elsewhere/events.ini"), "");
    EXPECT_EQ(fs.folders.count("/elsewhere"), 1u);
    EXPECT_FALSE(fs.exists(kEvents));
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
        EXPECT_EQ(r.code, kCtlUsage) << args.back();
        EXPECT_EQ(r.err, kNothingSelected) << args.back();
        EXPECT_EQ(fs.content(kEvents), before);
    }
}

TEST_F(QuelvoctlTest, ReportsAFailedDeleteAndKeepsTheSchedule)
{
    fs.put(kEvents, kMon + "\r\n");
    fs.failReplace = true;
    const Result r = run({"delete", "1"});
    EXPECT_EQ(r.code, kCtlFailed);
    EXPECT_NE(r.err.find("cannot rename"), std::string::npos) << r.err;
    EXPECT_EQ(fs.content(kEvents), kMon + "\r\n");
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

TEST_F(QuelvoctlTest, GetsAndSetsSettings)
{
    Result r = run({"get", "forced", "True"});
    EXPECT_EQ(r.code, kCtlOk);
    EXPECT_EQ(r.out, "True\n");
    EXPECT_EQ(run({"get", "forced"}).out, "\n");
    EXPECT_EQ(run({"set", "Forced", "False"}).code, kCtlOk);
    EXPECT_EQ(settings.GetSetting("QUELVO", "Data", "forced", ""), "False");
    EXPECT_EQ(run({"get", "FORCED", "True"}).out, "False\n");

    settings.failWith = "disk full";
    r = run({"set", "x", "1"});
    EXPECT_EQ(r.code, kCtlFailed);
    EXPECT_EQ(r.err, "quelvoctl: disk full\n");
}

TEST_F(QuelvoctlTest, UsageErrorsExitWithTwo)
{
    const std::vector<std::string> bad[] = {
        {},      {"frobnicate"}, {"--bogus", "list"},    {"--folder"}, {"list", "extra"},
        {"get"}, {"set", "x"},   {"get", "a", "b", "c"},
    };
    for (const auto& args : bad) {
        const Result r = run(args);
        EXPECT_EQ(r.code, kCtlUsage) << (args.empty() ? "" : args[0]);
        EXPECT_FALSE(r.err.empty());
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(run({"--version"}).out, "2.1.5\n");
    const Result help = run({"--help"});
    EXPECT_EQ(help.code, kCtlOk);
    EXPECT_NE(help.out.find("delete ROW"), std::string::npos);
}

} // namespace
} // namespace quelvo
