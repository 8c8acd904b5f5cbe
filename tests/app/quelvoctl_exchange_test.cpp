// quelvoctl for scripts and admins: JSON output, export, import and check.
#include "app/ctl_rig.h"

namespace quelvo {
namespace {

const std::string kEvents = "/opt/quelvo/events.ini";
const std::string kMon = "On Mon at 07:30 AM, Shut Down, Repeat daily";
const std::string kWed = "On Wed at 11:45 PM, Reboot,    Don't repeat";
const std::string kSun24 = "On Sun at 23:05   , Shut Down, Don't repeat";

using Result = test::CtlResult;
using QuelvoctlExchangeTest = test::CtlRig;

TEST_F(QuelvoctlExchangeTest, ListAndDuePrintJson)
{
    fs.put(kEvents, kMon + "\r\nno comma\n" + kWed + "\r\nWhat, no event\r\n");
    Result r = run({"list", "--json"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out,
              "[\n"
              "  {\"line\": \"What, no event\", \"day\": \"\", \"time\": \"\", \"action\": \"\", \"repeat\": false, "
              "\"skipped\": null},\n"
              "  {\"line\": \"On Wed at 11:45 PM, Reboot,    Don't repeat\", \"day\": \"wed\", \"time\": "
              "\"11:45 PM\", \"action\": \"reboot\", \"repeat\": false, \"skipped\": null},\n"
              "  {\"line\": \"On Mon at 07:30 AM, Shut Down, Repeat daily\", \"day\": \"mon\", \"time\": "
              "\"07:30 AM\", \"action\": \"shutdown\", \"repeat\": true, \"skipped\": null}\n"
              "]\n");

    r = run({"due", "--json", "2026-12-07 07:30"}); // a Monday
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "{\"line\": \"On Mon at 07:30 AM, Shut Down, Repeat daily\", \"day\": \"mon\", \"time\": "
                     "\"07:30 AM\", \"action\": \"shutdown\", \"keep\": true}\n");
    r = run({"due", "--json", "2026-12-07 07:31"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "null\n");
    // A line the checker fires though the editor would not write it (trailing blanks): its action still shows.
    fs.put(kEvents, kWed + "  \r\n");
    EXPECT_EQ(run({"due", "--json", "2026-12-09 23:45"}).out,
              "{\"line\": \"" + kWed +
                  "  \", \"day\": \"\", \"time\": \"\", \"action\": \"reboot\", \"keep\": false}\n");

    fs.put(kEvents, "");
    EXPECT_EQ(run({"list", "--json"}).out, "[]\n");
    fs.put(kEvents, "On \"x\\y\x01\xe9, z\r\n");
    EXPECT_EQ(run({"list", "--json"}).out,
              "[\n  {\"line\": \"On \\\"x\\\\y\\u0001\\u00e9, z\", \"day\": \"\", "
              "\"time\": \"\", \"action\": \"\", \"repeat\": false, \"skipped\": null}\n]\n");
    // Every control character is escaped, the last one too, and no printable one.
    EXPECT_EQ(jsonString("\x1f ~\x7f"), "\"\\u001f ~\\u007f\"");
}

TEST_F(QuelvoctlExchangeTest, ExportGivesTheBytesBackAndImportingThemChangesNothing)
{
    const std::string stored = kMon + "\r\n" + toLowerAscii(kWed) + "\n" + kSun24; // as other programs left it
    fs.put(kEvents, stored);
    const Result exported = run({"export"});
    EXPECT_EQ(exported.code, 0);
    EXPECT_EQ(exported.out, stored);

    fs.put("/tmp/lab.ini", exported.out);
    const Result r = run({"import", "/tmp/lab.ini"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "unchanged\n");
    EXPECT_EQ(fs.content(kEvents), stored);
}

TEST_F(QuelvoctlExchangeTest, ImportReplacesAllOrNothing)
{
    const struct
    {
        const char* file; // nullptr: no such file
        int code;
        std::string out;
        std::string err;
        std::string schedule; // afterwards
    } cases[] = {
        {"On Tue at 06:00 AM, Reboot,    Repeat daily\n\n  \nOn Fri at 06:15 PM, Shut Down, Don't repeat", 0,
         "imported 2 events\n", "",
         "On Tue at 06:00 AM, Reboot,    Repeat daily\r\nOn Fri at 06:15 PM, Shut Down, Don't repeat\r\n"},
        // Every bad line is named; the schedule stays as it was.
        {"On Tue at 06:00 AM, Reboot,    Repeat daily\nOn Tue at 06:75 AM, Reboot,    Repeat daily\nnonsense\n", 2, "",
         "/tmp/in.ini:2: Sorry, the minute you have selected is invalid. Please try again using numbers between 0 "
         "and 59 only\n/tmp/in.ini:3: not an event line: 43 characters such as \"On Mon at 07:30 AM, Shut Down, "
         "Repeat daily\"\nquelvoctl: nothing imported\n",
         kMon + "\r\n"},
        {nullptr, 3, "", "quelvoctl: cannot read /tmp/in.ini\n", kMon + "\r\n"},
    };
    for (const auto& c : cases) {
        fs.put(kEvents, kMon + "\r\n");
        if (c.file)
            fs.put("/tmp/in.ini", c.file);
        else
            (void)fs.remove("/tmp/in.ini");
        const Result r = run({"import", "/tmp/in.ini"});
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(fs.content(kEvents), c.schedule);
        EXPECT_FALSE(fs.exists("/opt/quelvo/temp.ini"));
    }

    // Standard input, as a deployment passes the schedule.
    const Result piped = run({"import", "-"}, kWed + "\n");
    EXPECT_EQ(piped.code, 0) << piped.err;
    EXPECT_EQ(fs.content(kEvents), kWed + "\r\n");

    fs.put("/tmp/in.ini", kSun24 + "\n");
    fs.failReplace = true;
    const Result failed = run({"import", "/tmp/in.ini"});
    EXPECT_EQ(failed.code, 3);
    EXPECT_EQ(fs.content(kEvents), kWed + "\r\n");

    // A schedule that can't be read is not replaced unseen.
    fs.failReplace = false;
    fs.failRead.insert(kEvents);
    EXPECT_EQ(run({"import", "/tmp/in.ini"}).code, 3);
    EXPECT_EQ(run({"export"}).code, 3);
    fs.failRead.clear();
    EXPECT_EQ(fs.content(kEvents), kWed + "\r\n");
}

TEST_F(QuelvoctlExchangeTest, CheckValidatesAndWarnsAboutTheOtherClockForm)
{
    const std::string file = kMon + "\n" + kSun24 + "\n";
    fs.put("/tmp/lab.ini", file);
    const struct
    {
        const char* mode; // `24hr`
        std::string err;
    } cases[] = {
        {"True", "/tmp/lab.ini:1: warning: \"07:30 AM\" fires at 07:30 on this machine's 24-hour clock, whatever "
                 "its AM/PM\n"},
        {"False", "/tmp/lab.ini:2: warning: \"23:05\" never fires on this machine's 12-hour clock\n"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(settings.save("24hr", c.mode).ok());
        const Result r = run({"check", "/tmp/lab.ini"});
        EXPECT_EQ(r.code, 0) << c.mode;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_FALSE(fs.exists(kEvents)); // checking touches no schedule

    fs.put("/tmp/lab.ini", file + "On Mon at 7:30 AM, Shut Down, Repeat daily \n");
    EXPECT_EQ(run({"check", "/tmp/lab.ini"}).code, 2);
    EXPECT_EQ(run({"check", "/tmp/none.ini"}).code, 3);
}

} // namespace
} // namespace quelvo
