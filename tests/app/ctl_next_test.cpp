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
// Listed in this order: Wed, then Mon 10:00, then Mon 07:30.
const std::string kMon = "On Mon at 07:30 AM, Shut Down, Repeat daily";
const std::string kWed = "On Wed at 11:45 PM, Reboot,    Don't repeat";
const std::string kTen = "On Mon at 10:00 AM, Reboot,    Repeat daily";

struct Result
{
    int code;
    std::string out;
    std::string err;
};

struct CtlNextTest : ::testing::Test
{
    Result run(const std::vector<std::string>& args)
    {
        std::istringstream in;
        std::ostringstream out;
        std::ostringstream err;
        CtlContext ctx{fs, settings, clock, kFolder, out, err, in};
        const int code = runQuelvoctl(args, ctx, scheduleCommands());
        return {code, out.str(), err.str()};
    }

    test::FakeFileSystem fs;
    test::FakeSettings settings;
    test::FakeClock clock{{2026, 12, 7, 9, 30, 0, 1}}; // Monday, UTC
};

TEST_F(CtlNextTest, NextSkipAndUnskipSayWhatFiresAndWhetherItIsSkipped)
{
    fs.put(kEvents, kMon + "\r\n" + kWed + "\r\n" + kTen + "\r\n");
    Result r = run({"next"});
    EXPECT_EQ(r.code, kCtlOk);
    EXPECT_EQ(r.out, "2\treboot\t2026-12-07T10:00:00+00:00\t1800\tnot skipped\n");

    r = run({"skip", "2"});
    EXPECT_EQ(r.code, kCtlOk);
    EXPECT_EQ(r.out, "skipped\t2026-12-07T10:00:00+00:00\t" + kTen + "\n");
    EXPECT_EQ(run({"skip", "2"}).out, "already skipped\t2026-12-07T10:00:00+00:00\t" + kTen + "\n");
    r = run({"next", "--json"});
    EXPECT_EQ(r.code, kCtlOk);
    EXPECT_EQ(r.out, "{\"line_number\": 2, \"line\": \"" + kTen +
                         "\", \"action\": \"reboot\", \"time\": \"2026-12-07T10:00:00+00:00\", \"seconds\": 1800, "
                         "\"skipped\": true}\n");
    EXPECT_EQ(run({"list"}).out, " Wed at 11:45 PM\t Reboot\t    Don't repeat\n"
                                 " Mon at 10:00 AM\t Reboot\t    Repeat daily\tskipped 2026-12-07T10:00:00+00:00\n"
                                 " Mon at 07:30 AM\t Shut Down\t Repeat daily\n");
    EXPECT_NE(run({"list", "--json"}).out.find("\"repeat\": true, \"skipped\": \"2026-12-07T10:00:00+00:00\"}"),
              std::string::npos);

    EXPECT_EQ(run({"unskip"}).code, kCtlOk);
    EXPECT_EQ(run({"next"}).out, "2\treboot\t2026-12-07T10:00:00+00:00\t1800\tnot skipped\n");

    // A one-off has no week after: skipping it deletes it.
    r = run({"skip", "1"});
    EXPECT_EQ(r.code, kCtlOk);
    EXPECT_EQ(r.out, "removed\t2026-12-09T23:45:00+00:00\t" + kWed + "\n");
    EXPECT_EQ(fs.content(kEvents), kMon + "\r\n" + kTen + "\r\n");
}

TEST_F(CtlNextTest, BadArgumentsNothingScheduledAndFailuresHaveTheirExitCodes)
{
    fs.put(kEvents, kMon + "\r\nOn Tue at 13:00   , Shut Down, Repeat daily\r\n");
    const struct
    {
        std::vector<std::string> args;
        int code;
        const char* err;
    } cases[] = {
        {{"skip"}, kCtlUsage, "usage: quelvoctl skip LINE-NUMBER\n"},
        {{"skip", "0"}, kCtlUsage, "quelvoctl: not a line number: '0'\nusage: quelvoctl skip LINE-NUMBER\n"},
        {{"skip", "1x"}, kCtlUsage, "quelvoctl: not a line number: '1x'\nusage: quelvoctl skip LINE-NUMBER\n"},
        {{"skip", "3"}, kCtlNothing, "quelvoctl: no such event\n"},
        // A 24-hour line in 12-hour mode never fires.
        {{"skip", "1"}, kCtlNothing, "quelvoctl: event 1 does not fire in the next 15 days\n"},
        {{"next", "--all"}, kCtlUsage, "usage: quelvoctl next [--json]\n"},
        {{"unskip", "1"}, kCtlUsage, "usage: quelvoctl unskip\n"},
    };
    for (const auto& c : cases) {
        const Result r = run(c.args);
        EXPECT_EQ(r.code, c.code) << c.args[0];
        EXPECT_EQ(r.err, c.err) << c.args[0];
        EXPECT_EQ(r.out, "") << c.args[0];
    }
    EXPECT_EQ(settings.writes, 0);

    settings.failWith = "disk full";
    Result r = run({"skip", "2"});
    EXPECT_EQ(r.code, kCtlFailed);
    EXPECT_EQ(r.err, "quelvoctl: disk full\n");
    settings.failWith.clear();
    settings.readFailure = "settings.ini: permission denied";
    EXPECT_EQ(run({"next"}).code, kCtlFailed);

    settings.readFailure.clear();
    fs.put(kEvents, "");
    r = run({"next", "--json"});
    EXPECT_EQ(r.code, kCtlNothing);
    EXPECT_EQ(r.out, "null\n");
}

} // namespace
} // namespace quelvo
