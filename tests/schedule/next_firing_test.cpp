#include "schedule/next_firing.h"

#include "fakes/fake_clock.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

namespace quelvo {
namespace {

using test::FakeClock;
using test::FakeZone;

// "Mon 22:00 shutdown repeat" or "Mon 10:00 pm reboot once" as the line the editor writes.
std::string eventLine(const std::string& text)
{
    std::istringstream in(text);
    std::string day, time, half, action, repeat;
    in >> day >> time;
    if (in >> half && half != "am" && half != "pm") {
        action = half;
        half.clear();
    } else {
        in >> action;
    }
    in >> repeat;
    return "On " + day + " at " + time + (half.empty() ? "   " : " " + half) + ", " +
           (action == "reboot" ? "Reboot,    " : "Shut Down, ") + (repeat == "once" ? "Don't repeat" : "Repeat daily");
}

std::vector<std::string> eventLines(const std::string& list)
{
    std::vector<std::string> lines;
    std::istringstream in(list);
    for (std::string part; std::getline(in >> std::ws, part, ',');)
        lines.push_back(eventLine(part));
    return lines;
}

// "1 2026-12-07T22:00:00+01:00": the line's index and its firing as local time with offset; a line the
// clock reaches only after its minute says which minute it fires for, and a skipped one says so.
std::string describe(const FakeClock& clock, const NextFiring& f)
{
    std::string text = std::to_string(f.index) + ' ' + isoLocalTime(clock, f.at);
    if (minuteNumber(f.local) != f.dueMinute)
        text += " for " + minuteStamp(fromMinuteNumber(f.dueMinute)).substr(11);
    return text + (f.skipped ? " skipped" : "");
}

long long minuteOf(const char* stamp)
{
    LocalTime t;
    EXPECT_EQ(std::sscanf(stamp, "%d-%d-%d %d:%d", &t.year, &t.month, &t.day, &t.hour, &t.minute), 5) << stamp;
    return minuteNumber(t);
}

LocalTime localTime(const char* stamp, int second = 0)
{
    LocalTime t = fromMinuteNumber(minuteOf(stamp));
    t.second = second;
    return t;
}

TEST(NextFiring, FollowsTheCheckersRulesLineByLine)
{
    const FakeZone utc{};
    const FakeZone berlin = FakeZone::europeBerlin2026();
    const FakeZone newYork = FakeZone::americaNewYork2026();
    struct Fired
    {
        const char* minute;
        int secondsFromStart; // when it fired
        std::vector<std::size_t> lines;
    };
    struct Skipped
    {
        std::size_t line;
        const char* minute;
    };
    // 2026-12-07 is a Monday. Expected: each line's next firing ("index local-time-with-offset", "for HH:MM"
    // when it fires after the minute it names, "skipped"), then the earliest one made and the earliest made
    // or skipped.
    const struct
    {
        const char* note;
        FakeZone zone;
        LocalTime start;
        bool twentyFour;
        const char* lines;
        std::vector<Fired> record;
        std::vector<Skipped> skips;
        const char* each;
        const char* earliest;
        const char* earliestOrSkipped;
    } cases[] = {
        {"weekdays; the minute begun is past; the second line of a minute never fires",
         utc,
         localTime("2026-12-07 09:30", 5),
         true,
         "Mon 09:30 shutdown, Mon 09:31 reboot, Sun 08:00 shutdown, Tue 00:00 shutdown once, Mon 09:31 shutdown",
         {},
         {},
         "0 2026-12-14T09:30:00+00:00, 1 2026-12-07T09:31:00+00:00, 2 2026-12-13T08:00:00+00:00, "
         "3 2026-12-08T00:00:00+00:00",
         "1 2026-12-07T09:31:00+00:00",
         "1 2026-12-07T09:31:00+00:00"},
        {"12-hour lines from the very start of a minute; 24-hour lines never match",
         utc,
         localTime("2026-12-07 00:05"),
         false,
         "Mon 12:05 am shutdown, Mon 12:05 pm reboot, Mon 07:30 pm shutdown, "
         "Mon 00:05 shutdown",
         {},
         {},
         "0 2026-12-07T00:05:00+00:00, 1 2026-12-07T12:05:00+00:00, 2 2026-12-07T19:30:00+00:00",
         "0 2026-12-07T00:05:00+00:00",
         "0 2026-12-07T00:05:00+00:00"},
        {"a one-off takes its minute once, the line below it fires the week after",
         utc,
         localTime("2026-12-07 09:00"),
         true,
         "Mon 10:00 shutdown once, Mon 10:00 reboot",
         {},
         {},
         "0 2026-12-07T10:00:00+00:00, 1 2026-12-14T10:00:00+00:00",
         "0 2026-12-07T10:00:00+00:00",
         "0 2026-12-07T10:00:00+00:00"},
        {"the record: a line fired in this minute waits a week, one not recorded fires; a firing older than "
         "four hours is forgotten",
         utc,
         localTime("2026-12-07 10:00"),
         true,
         "Mon 10:00 shutdown, Mon 10:00 reboot, Mon 11:00 shutdown",
         {{"2026-12-07 10:00", 0, {0}}, {"2026-12-07 11:00", -3 * 3600 - 60, {2}}},
         {},
         "0 2026-12-14T10:00:00+00:00, 1 2026-12-07T10:00:00+00:00, 2 2026-12-07T11:00:00+00:00",
         "1 2026-12-07T10:00:00+00:00",
         "1 2026-12-07T10:00:00+00:00"},
        {"Berlin spring: the skipped hour at 03:00, its first line only; 03:00 itself loses too",
         berlin,
         localTime("2026-03-29 01:00"),
         true,
         "Sun 02:40 shutdown, Sun 02:15 reboot, Sun 03:01 shutdown, Sun 03:00 reboot, Sun 01:30 shutdown",
         {},
         {},
         "0 2026-04-05T02:40:00+02:00, 1 2026-03-29T03:00:00+02:00 for 02:15, 2 2026-03-29T03:01:00+02:00, "
         "3 2026-04-05T03:00:00+02:00, 4 2026-03-29T01:30:00+01:00",
         "4 2026-03-29T01:30:00+01:00",
         "4 2026-03-29T01:30:00+01:00"},
        {"Berlin autumn: what fired in the first pass waits a week, a line made since fires in the second",
         berlin,
         localTime("2026-10-25 02:50"),
         true,
         "Sun 02:30 shutdown, Sun 02:05 reboot, Sun 02:55 shutdown",
         {{"2026-10-25 02:30", -20 * 60, {0}}},
         {},
         "0 2026-11-01T02:30:00+01:00, 1 2026-10-25T02:05:00+01:00, 2 2026-10-25T02:55:00+02:00",
         "2 2026-10-25T02:55:00+02:00",
         "2 2026-10-25T02:55:00+02:00"},
        {"Berlin autumn: a firing skipped in the first pass is not made in the second",
         berlin,
         localTime("2026-10-25 02:50"),
         true,
         "Sun 02:55 shutdown",
         {},
         {{0, "2026-10-25 02:55"}},
         "0 2026-10-25T02:55:00+02:00 skipped",
         "0 2026-11-01T02:55:00+01:00",
         "0 2026-10-25T02:55:00+02:00 skipped"},
        {"New York spring, 12-hour",
         newYork,
         localTime("2026-03-08 01:59", 30),
         false,
         "Sun 02:30 am reboot, Sun 03:00 am shutdown",
         {},
         {},
         "0 2026-03-08T03:00:00-04:00 for 02:30, 1 2026-03-15T03:00:00-04:00",
         "0 2026-03-08T03:00:00-04:00 for 02:30",
         "0 2026-03-08T03:00:00-04:00 for 02:30"},
        {"New York autumn: a minute passed in the first pass comes again",
         newYork,
         localTime("2026-11-01 01:29", 30),
         true,
         "Sun 01:30 shutdown, Sun 01:10 reboot",
         {},
         {},
         "0 2026-11-01T01:30:00-04:00, 1 2026-11-01T01:10:00-05:00",
         "0 2026-11-01T01:30:00-04:00",
         "0 2026-11-01T01:30:00-04:00"},
        {"a skipped line passes the minute to the next; a skip of a minute gone does nothing",
         utc,
         localTime("2026-12-07 09:00"),
         true,
         "Mon 22:00 shutdown, Mon 22:00 reboot, Tue 07:00 shutdown",
         {},
         {{0, "2026-12-07 22:00"}, {2, "2026-12-01 07:00"}},
         "0 2026-12-07T22:00:00+00:00 skipped, 1 2026-12-07T22:00:00+00:00, 2 2026-12-08T07:00:00+00:00",
         "1 2026-12-07T22:00:00+00:00",
         "0 2026-12-07T22:00:00+00:00 skipped"},
        {"two weeks skipped: the third",
         utc,
         localTime("2026-12-07 09:00"),
         true,
         "Mon 22:00 shutdown",
         {},
         {{0, "2026-12-07 22:00"}, {0, "2026-12-14 22:00"}},
         "0 2026-12-07T22:00:00+00:00 skipped",
         "0 2026-12-21T22:00:00+00:00",
         "0 2026-12-07T22:00:00+00:00 skipped"},
    };
    for (const auto& c : cases) {
        const FakeClock clock{c.start, c.zone};
        const std::vector<std::string> lines = eventLines(c.lines);
        std::vector<Firing> record;
        for (const Fired& f : c.record) {
            Firing firing{std::chrono::floor<std::chrono::seconds>(clock.wallNow().time_since_epoch()).count() +
                              f.secondsFromStart,
                          minuteOf(f.minute),
                          {}};
            for (const std::size_t line : f.lines)
                firing.keys.push_back(lineKey(lines[line]));
            record.push_back(firing);
        }
        Skips skips;
        for (const Skipped& s : c.skips)
            skips.push_back({lineKey(lines[s.line]), minuteOf(s.minute)});

        std::string each;
        for (const NextFiring& f : nextFirings(lines, c.twentyFour, clock, clock.wallNow(), record, skips))
            each += (each.empty() ? "" : ", ") + describe(clock, f);
        EXPECT_EQ(each, c.each) << c.note;
        const auto earliest = nextFiring(lines, c.twentyFour, clock, clock.wallNow(), record, skips);
        EXPECT_EQ(earliest ? describe(clock, *earliest) : "none", c.earliest) << c.note;
        const auto any =
            nextFiring(lines, c.twentyFour, clock, clock.wallNow(), record, skips, SkippedFirings::Included);
        EXPECT_EQ(any ? describe(clock, *any) : "none", c.earliestOrSkipped) << c.note;
    }
}

TEST(NextFiring, CarriesTheLineAndItsAction)
{
    const FakeClock clock{localTime("2026-12-07 09:00")};
    const std::vector<std::string> lines = {"no event", "On Mon at 10:00   , Reboot,    Don't repeat"};
    const auto f = nextFiring(lines, true, clock, clock.wallNow(), {}, {});
    ASSERT_TRUE(f);
    EXPECT_EQ(f->index, 1u);
    EXPECT_EQ(f->line, lines[1]);
    EXPECT_TRUE(f->reboot);
    EXPECT_FALSE(f->repeat);
    EXPECT_EQ(f->local, localTime("2026-12-07 10:00"));
    EXPECT_FALSE(nextFiring({"no event"}, true, clock, clock.wallNow(), {}, {}));
}

TEST(NextFiring, SkipsAreStoredAsLastFiredIsAndUnreadableEntriesAreLeftOut)
{
    const Skips skips = parseSkips("00000000000000ab 2026-12-07 22:00;junk;00000000000000ab 2026-13-01 00:00;"
                                   "00000000000000cd 2026-12-08 07:05 trailing;00000000000000cd 2026-12-08 07:05");
    const Skips expected = {{"00000000000000ab", minuteOf("2026-12-07 22:00")},
                            {"00000000000000cd", minuteOf("2026-12-08 07:05")}};
    EXPECT_EQ(skips, expected);
    EXPECT_EQ(formatSkips(skips), "00000000000000ab 2026-12-07 22:00;00000000000000cd 2026-12-08 07:05");
    EXPECT_TRUE(parseSkips("").empty());
}

} // namespace
} // namespace quelvo
