#include "schedule/schedule_checker.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_settings.h"
#include "platform/settings_keys.h"
#include "schedule/next_firing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <sstream>

namespace quelvo {
namespace {

using test::FakeClock;
using test::FakeSettings;
using test::FakeZone;

constexpr LocalTime at(int weekday, int hour, int minute, int second = 0)
{
    // 2026-12-07 is a Monday; the date follows the weekday so that date and weekday agree.
    const int day = 7 + (weekday + 6) % 7;
    return {2026, 12, day, hour, minute, second, weekday};
}
constexpr int kSun = 0, kMon = 1, kTue = 2;

// ------------------------------------------------------------------ the texts compared

TEST(ScheduleCheckerTexts, NowtextFollowsTheTwelveHourTable)
{
    struct Case
    {
        int hour, minute;
        const char* twelve;
        const char* twentyFour;
    };
    const Case cases[] = {
        {0, 0, "12:00 am", "00:00"},   {0, 15, "12:15 am", "00:15"},  {1, 5, "01:05 am", "01:05"},
        {9, 30, "09:30 am", "09:30"},  {11, 59, "11:59 am", "11:59"}, {12, 0, "12:00 pm", "12:00"},
        {12, 59, "12:59 pm", "12:59"}, {13, 5, "01:05 pm", "13:05"},  {23, 59, "11:59 pm", "23:59"},
    };
    for (const auto& c : cases) {
        const LocalTime t = at(kMon, c.hour, c.minute, 42);
        EXPECT_EQ(nowtext(t, false), c.twelve) << c.hour << ':' << c.minute;
        EXPECT_EQ(nowtext(t, true), c.twentyFour) << c.hour << ':' << c.minute;
    }
}

TEST(ScheduleCheckerTexts, DaytextAndMinuteStamp)
{
    const char* days[] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};
    for (int w = 0; w < 7; ++w)
        EXPECT_EQ(daytext(at(w, 0, 0)), days[w]);
    EXPECT_EQ(minuteStamp({2027, 3, 4, 5, 6, 59, 4}), "2027-03-04 05:06");
}

// ------------------------------------------------------------------ the scan

const std::string kMon0930Am = "On Mon at 09:30 AM, Shut Down, Repeat daily";

TEST(ScheduleCheckerTexts, TicksAreKeptJustPastEachSecondBoundary)
{
    // A tick before the boundary would see a new minute a whole second late, hence never a zero wait.
    const struct
    {
        int msIntoSecond;
        int wait;
        bool inPhase;
    } cases[] = {
        {0, kTickPhaseMs, false},
        {kTickPhaseMs / 2 - 1, kTickPhaseMs / 2 + 1, false},
        {kTickPhaseMs / 2, kTickPhaseMs / 2, true},
        {kTickPhaseMs, 1000, true},
        {kTickPhaseMs + 249, 1000 - 249, true},
        {kTickPhaseMs + 250, 1000 - 250, false},
        {999, kTickPhaseMs + 1, false},
        {1000 + kTickPhaseMs, 1000, true}, // whole seconds do not count
    };
    for (const auto& c : cases) {
        EXPECT_EQ(msToTickPhase(c.msIntoSecond), c.wait) << c.msIntoSecond;
        EXPECT_EQ(tickInPhase(c.msIntoSecond), c.inPhase) << c.msIntoSecond;
        // Waiting that long lands in phase.
        EXPECT_TRUE(tickInPhase(c.msIntoSecond + msToTickPhase(c.msIntoSecond))) << c.msIntoSecond;
    }
}

TEST(ScheduleCheckerTexts, Timer1RunsAtOneSecondInPhaseAndOtherwiseWaitsForTheNextSecondsPhase)
{
    const struct
    {
        std::optional<int> tickBeganMs; // into the second; none: the checker starts
        int nowMs;                      // into the same second (1000 and more: the next one)
        int period;
    } cases[] = {
        {std::nullopt, 0, 50},    // starting: the wait to the phase
        {std::nullopt, 300, 750}, // the rest of the second and the phase
        {std::nullopt, 50, 1000}, // exactly in phase: the next one
        {60, 900, 1000},          // in phase: the period stands, however long the tick took
        {10, 15, 1035},           // early: this second was scanned, so the next one's phase
        {400, 410, 640},          // late
        {10, 1020, 30},           // a tick that ran into the next second waits only for its phase
        {990, 995, 55},           // early for the next second, which is still to be scanned
    };
    for (const auto& c : cases) {
        test::FakeClock clock;
        const WallTime second = clock.wallNow();
        clock.advance(std::chrono::milliseconds(c.nowMs));
        std::optional<WallTime> began;
        if (c.tickBeganMs)
            began = second + std::chrono::milliseconds(*c.tickBeganMs);
        EXPECT_EQ(timer1Period(clock, began), c.period) << c.tickBeganMs.value_or(-1) << " " << c.nowMs;
    }
}

TEST(ScheduleCheckerScan, MatchesWeekdayAndTimeInBothModes)
{
    struct Case
    {
        const char* note;
        std::string line;
        LocalTime now;
        bool twentyFour;
        bool fires;
    };
    const Case cases[] = {
        {"12-hour line", kMon0930Am, at(kMon, 9, 30), false, true},
        {"letter case plays no part", "oN mOn AT 09:30 am, SHUT DOWN, REPEAT DAILY", at(kMon, 9, 30), false, true},
        {"other weekday", kMon0930Am, at(kTue, 9, 30), false, false},
        {"other minute", kMon0930Am, at(kMon, 9, 31), false, false},
        {"same hour on the afternoon", kMon0930Am, at(kMon, 21, 30), false, false},
        {"midnight is 12 am", "On Mon at 12:15 AM, Shut Down, Repeat daily", at(kMon, 0, 15), false, true},
        {"12 pm is not midnight", "On Mon at 12:15 PM, Shut Down, Repeat daily", at(kMon, 0, 15), false, false},
        {"noon is 12 pm", "On Mon at 12:00 PM, Shut Down, Repeat daily", at(kMon, 12, 0), false, true},
        {"13:05 is 01:05 pm", "On Mon at 01:05 PM, Shut Down, Repeat daily", at(kMon, 13, 5), false, true},
        {"01:05 am is not 13:05", "On Mon at 01:05 AM, Shut Down, Repeat daily", at(kMon, 13, 5), false, false},
        {"24-hour line", "On Mon at 13:05   , Shut Down, Repeat daily", at(kMon, 13, 5), true, true},
        {"24-hour midnight", "On Sun at 00:00   , Shut Down, Repeat daily", at(kSun, 0, 0), true, true},
        // Lines of the other form: 24-hour mode reads only five characters, 12-hour mode needs the suffix.
        {"12-hour line in 24-hour mode fires at night", "On Mon at 01:30 PM, Reboot,    Repeat daily", at(kMon, 1, 30),
         true, true},
        {"12-hour line in 24-hour mode not at 13:30", "On Mon at 01:30 PM, Reboot,    Repeat daily", at(kMon, 13, 30),
         true, false},
        {"24-hour line in 12-hour mode never fires", "On Mon at 13:05   , Shut Down, Repeat daily", at(kMon, 13, 5),
         false, false},
        {"24-hour morning line in 12-hour mode", "On Mon at 09:30   , Shut Down, Repeat daily", at(kMon, 9, 30), false,
         false},
        // Short lines read as empty text past their end and never match.
        {"empty line", "", at(kMon, 9, 30), false, false},
        {"day only", "On Mon", at(kMon, 9, 30), true, false},
        {"time cut short", "On Mon at 09:3", at(kMon, 9, 30), true, false},
        {"suffix cut short", "On Mon at 09:30 a", at(kMon, 9, 30), false, false},
    };
    for (const auto& c : cases) {
        const auto due = findDue({c.line}, c.now, c.twentyFour);
        EXPECT_EQ(due.has_value(), c.fires) << c.note;
        if (due) {
            EXPECT_EQ(due->line, toLowerAscii(c.line)) << c.note;
        }
    }
}

TEST(ScheduleCheckerScan, ReadsActionAndRepetitionAndTakesTheFirstMatch)
{
    const std::vector<std::string> lines = {
        "On Tue at 09:30 AM, Reboot,    Repeat daily", // other day
        "On Mon at 09:30 AM, Reboot,    Don't repeat", // first due line
        "On Mon at 09:30 AM, Shut Down, Repeat daily", // same minute, further down: not fired
    };
    const auto due = findDue(lines, at(kMon, 9, 30), false);
    ASSERT_TRUE(due);
    EXPECT_EQ(*due, (DueEvent{"on mon at 09:30 am, reboot,    don't repeat", true, false}));

    EXPECT_EQ(*findDue({lines[2]}, at(kMon, 9, 30), false), (DueEvent{toLowerAscii(lines[2]), false, true}));
    // Anything but the exact fields means shut down and one-off.
    const auto odd = findDue({"On Mon at 09:30 AM, Reboot, Repeat dail"}, at(kMon, 9, 30), false);
    ASSERT_TRUE(odd);
    EXPECT_FALSE(odd->reboot);
    EXPECT_FALSE(odd->repeat);
    EXPECT_FALSE(findDue({}, at(kMon, 9, 30), false));
}

// ------------------------------------------------------------------ the tick

class FakeHost final : public CheckerHost
{
public:
    explicit FakeHost(const Settings& settings) : m_settings(settings) {}

    [[nodiscard]] const std::vector<std::string>& lstEvents() const override { return events; }
    IoResult dropevent(const std::string& matchedLine) override
    {
        log.push_back("drop " + matchedLine);
        if (!dropFailure.empty())
            return IoResult::failure(dropFailure);
        std::vector<std::string> kept;
        for (const auto& line : events) {
            if (!equalsIgnoringCase(line, matchedLine))
                kept.push_back(toLowerAscii(line));
        }
        events = kept;
        return IoResult::success();
    }
    void openCountdown(bool reboot, const std::string& /*line*/) override
    {
        log.push_back(reboot ? "reboot" : "shutdown");
        lastFiredAtCountdown = m_settings.get(setting::kLastFired, "");
        // The record's new or changed entry names the minute that fired.
        const auto now = parseFirings(lastFiredAtCountdown);
        for (const Firing& f : now) {
            if (std::find(m_record.begin(), m_record.end(), f) == m_record.end()) {
                firedMinutes.push_back(minuteStamp(fromMinuteNumber(f.localMinute)).substr(11) + ' ' + log.back());
                firedNumbers.push_back(f.localMinute);
            }
        }
        m_record = now;
    }
    void reportError(const std::string& text) override { errors.push_back(text); }

    std::vector<std::string> events;
    std::vector<std::string> log;
    std::string dropFailure;
    std::string lastFiredAtCountdown;
    std::vector<std::string> firedMinutes; // "HH:MM shutdown": the minute scanned, the action
    std::vector<long long> firedNumbers;   // the minute scanned, as minuteNumber
    std::vector<std::string> errors;

private:
    const Settings& m_settings;
    std::vector<Firing> m_record;
};

/// Counts the readings of the wall clock.
class CountingClock final : public Clock
{
public:
    explicit CountingClock(const Clock& inner) : m_inner(inner) {}
    [[nodiscard]] WallTime wallNow() const override
    {
        ++reads;
        return m_inner.wallNow();
    }
    [[nodiscard]] LocalTime toLocal(WallTime t) const override { return m_inner.toLocal(t); }
    [[nodiscard]] std::chrono::steady_clock::time_point steadyNow() const override { return m_inner.steadyNow(); }
    mutable int reads = 0;

private:
    const Clock& m_inner;
};

struct CheckerRig
{
    FakeSettings settings;
    FakeClock clock{at(kMon, 9, 30, 5)};
    FakeHost host{settings};
    ScheduleChecker checker{host, settings, clock};
};

TEST(ScheduleCheckerTick, ScansEachMinuteOnceFromOneClockReading)
{
    FakeSettings settings;
    FakeClock base{at(kMon, 9, 29, 58)};
    CountingClock clock{base};
    FakeHost host{settings};
    ScheduleChecker checker{host, settings, clock};
    host.events = {kMon0930Am};

    checker.checkevents();
    EXPECT_EQ(clock.reads, 1);
    base.advanceSeconds(2);
    checker.checkevents();
    EXPECT_EQ(host.log, std::vector<std::string>{"shutdown"});
    base.advanceSeconds(1);
    checker.checkevents();
    EXPECT_EQ(host.log.size(), 1u) << "a minute is scanned once";
    EXPECT_EQ(clock.reads, 3);
}

TEST(ScheduleCheckerTick, DropsAOneOffBeforeItsCountdownOpens)
{
    CheckerRig rig;
    rig.host.events = {"On Mon at 09:30 AM, Reboot,    Don't repeat", "On Tue at 10:00 AM, Shut Down, Repeat daily",
                       "ON MON AT 09:30 AM, REBOOT,    DON'T REPEAT"};
    rig.checker.checkevents();
    EXPECT_EQ(rig.host.log, (std::vector<std::string>{"drop on mon at 09:30 am, reboot,    don't repeat", "reboot"}));
    // Both copies went; what is left is lower case.
    EXPECT_EQ(rig.host.events, std::vector<std::string>{"on tue at 10:00 am, shut down, repeat daily"});
    EXPECT_EQ(rig.host.lastFiredAtCountdown, "1796635805 2026-12-07 09:30 58d228e20e6d34d7");
}

TEST(ScheduleCheckerTick, RepeatingEventStaysAndFiresNextWeek)
{
    CheckerRig rig;
    rig.host.events = {kMon0930Am};
    rig.checker.checkevents();
    EXPECT_EQ(rig.host.log, std::vector<std::string>{"shutdown"});
    EXPECT_EQ(rig.host.events, std::vector<std::string>{kMon0930Am});

    rig.clock.advanceMinutes(1); // the ticks in between move the minute on
    rig.checker.checkevents();
    rig.clock.advanceMinutes(7 * 24 * 60 - 1);
    rig.checker.checkevents();
    EXPECT_EQ(rig.host.log, (std::vector<std::string>{"shutdown", "shutdown"}));
}

TEST(ScheduleCheckerTick, FailedRemovalStillOpensTheCountdown)
{
    CheckerRig rig;
    rig.host.events = {"On Mon at 09:30 AM, Shut Down, Don't repeat"};
    rig.host.dropFailure = "disk full";
    rig.checker.checkevents();
    EXPECT_EQ(rig.host.log.back(), "shutdown");
    EXPECT_EQ(rig.host.events.size(), 1u);
}

// Settings that exist but cannot be read give the default, the 12-hour mode: the checker keeps the
// mode it read last, fires nothing before it has read one, and says so once per spell of failures.
TEST(ScheduleCheckerTick, UnreadableSettingsNeverGuessTheClockMode)
{
    const std::string reason = "cannot read settings.ini: Permission denied";
    const std::string kept = "Sorry, the clock mode (12 or 24 hour) could not be read from the settings; events are "
                             "matched in the 24 hour mode read before: " +
                             reason;
    const std::string none = "Sorry, the clock mode (12 or 24 hour) could not be read from the settings, so no "
                             "event fires until it can be read: " +
                             reason;
    struct Case
    {
        const char* note;
        std::vector<bool> readable; // in the minutes 13:00, 13:01, ...
        const char* fired;          // per minute: R the 24-hour line, S the 12-hour one, - nothing
        std::vector<std::string> errors;
    };
    const Case cases[] = {
        {"read, then unreadable: the mode read before", {true, false, false}, "RRR", {kept}},
        {"never read: nothing until it can be", {false, false, true}, "--R", {none}},
        {"a new failure after a recovery is told again", {false, true, false}, "-RR", {none, kept}},
    };
    for (const Case& c : cases) {
        CheckerRig rig;
        EXPECT_TRUE(rig.settings.save("24hr", "True").ok());
        for (int minute = 0; minute < 3; ++minute) {
            const std::string mm = "0" + std::to_string(minute);
            rig.host.events.push_back("On Mon at 01:" + mm + " PM, Shut Down, Repeat daily");
            rig.host.events.push_back("On Mon at 13:" + mm + "   , Reboot,    Repeat daily");
        }
        rig.clock.set(at(kMon, 13, 0, 5));
        std::string fired;
        for (const bool readable : c.readable) {
            rig.settings.readFailure = readable ? "" : reason;
            const std::size_t before = rig.host.log.size();
            rig.checker.checkevents();
            fired += rig.host.log.size() == before ? '-' : rig.host.log.back() == "reboot" ? 'R' : 'S';
            rig.clock.advanceMinutes(1);
        }
        EXPECT_EQ(fired, c.fired) << c.note;
        EXPECT_EQ(rig.host.errors, c.errors) << c.note;
    }
}

TEST(ScheduleCheckerTick, ClockModeComesFromTheSettingEachScan)
{
    // Exactly "False" (or nothing) is 12-hour mode; every other text is 24-hour mode.
    struct Case
    {
        const char* stored; // nullptr: never written
        bool twentyFour;
    };
    const Case cases[] = {{nullptr, false}, {"False", false}, {"True", true}, {"false", true}, {"", true}};
    for (const auto& c : cases) {
        CheckerRig rig;
        rig.clock.set(at(kMon, 13, 5, 1));
        if (c.stored) {
            EXPECT_TRUE(rig.settings.save("24hr", c.stored).ok());
        }
        rig.host.events = {"On Mon at 01:05 PM, Shut Down, Repeat daily",
                           "On Mon at 13:05   , Reboot,    Repeat daily"};
        rig.checker.checkevents();
        EXPECT_EQ(rig.host.log, std::vector<std::string>{c.twentyFour ? "reboot" : "shutdown"})
            << (c.stored ? c.stored : "(none)");
    }
}

TEST(ScheduleCheckerTick, RestartWithinTheFiringMinuteDoesNotFireAgain)
{
    FakeSettings settings; // outlives both runs of the program, like the real store
    FakeClock clock{at(kMon, 9, 30, 1)};
    const std::vector<std::string> schedule = {"On Mon at 09:30 AM, Reboot,    Repeat daily"};

    FakeHost firstHost{settings};
    firstHost.events = schedule;
    ScheduleChecker firstRun{firstHost, settings, clock};
    firstRun.checkevents();
    EXPECT_EQ(firstHost.log, std::vector<std::string>{"reboot"});

    // The fast reboot brings the program back within the same minute.
    clock.advanceSeconds(40);
    FakeHost secondHost{settings};
    secondHost.events = schedule;
    ScheduleChecker secondRun{secondHost, settings, clock};
    secondRun.checkevents();
    EXPECT_TRUE(secondHost.log.empty());

    // The same time a week later is another date: it fires.
    clock.advanceMinutes(1);
    secondRun.checkevents();
    clock.advanceMinutes(7 * 24 * 60 - 1);
    secondRun.checkevents();
    EXPECT_EQ(secondHost.log, std::vector<std::string>{"reboot"});
}

TEST(ScheduleCheckerTick, FirstTickOfARunStillScansAMinuteThatFiredNothing)
{
    // Without a firing remembered for this minute, a restarted program scans it as before. Last week's
    // firing is forgotten, and so is what cannot be read, and so is a firing of this very minute made more
    // than the memory ahead of the clock (which was set back since).
    for (const char* record : {"1796031005 2026-11-30 09:30 581137d37e630179;2026-12-07 09:30;1 x y",
                               "1796650206 2026-12-07 09:30 581137d37e630179"}) {
        CheckerRig rig;
        EXPECT_TRUE(rig.settings.save(setting::kLastFired, record).ok());
        rig.host.events = {kMon0930Am};
        rig.checker.checkevents();
        EXPECT_EQ(rig.host.log, std::vector<std::string>{"shutdown"}) << record;
        EXPECT_EQ(rig.settings.get(setting::kLastFired, ""), "1796635805 2026-12-07 09:30 581137d37e630179");
    }

    // A scan that fires nothing writes nothing.
    CheckerRig quiet;
    quiet.checker.checkevents();
    EXPECT_EQ(quiet.settings.writes, 0);
}

// ------------------------------------------------------------------ whatever the clock does

std::vector<std::string> split(const std::string& text)
{
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in >> std::ws, part, ',');)
        parts.push_back(part);
    return parts;
}

std::string joined(const std::vector<std::string>& parts)
{
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : ", ") + part;
    return text;
}

TEST(ScheduleCheckerClock, FiresEachLineOnceInItsMinute)
{
    const FakeZone utc{};
    const FakeZone berlin = FakeZone::europeBerlin2026();
    const FakeZone newYork = FakeZone::americaNewYork2026();
    const auto sunday = [](int month, int day, int hour, int minute, int second) {
        return LocalTime{2026, month, day, hour, minute, second, 0};
    };
    // Events "Day HH:MM action" (24-hour lines, repeating); moves: r<n> ticks every second for n seconds,
    // s<n> time passes with no tick (a late program), j<n> the wall clock alone jumps (a resume from
    // sleep, the clock set by hand); each move but r ends with one tick. Fired: minute scanned, action.
    const struct
    {
        const char* note;
        FakeZone zone;
        LocalTime start;
        const char* events;
        const char* moves;
        const char* fired;
    } cases[] = {
        {"set forward an hour to a due minute", utc, at(kMon, 9, 30, 5), "Mon 10:30 shutdown", "r1, j3606, r60",
         "10:30 shutdown"},
        {"set back an hour over a fired minute", utc, at(kMon, 9, 29, 50), "Mon 09:30 shutdown", "r20, j-3600, r3600",
         "09:30 shutdown"},
        {"set back over two fired minutes", utc, at(kMon, 9, 30, 50), "Mon 09:31 shutdown, Mon 09:32 reboot",
         "r150, j-180, r180", "09:31 shutdown, 09:32 reboot"},
        {"two lines of one minute: the first, also when scanned again", utc, at(kMon, 9, 30, 50),
         "Mon 09:31 reboot, Mon 09:31 shutdown", "r20, j-60, r60", "09:31 reboot"},
        {"set forward by minutes: no burst", utc, at(kMon, 9, 30, 30), "Mon 09:31 shutdown, Mon 09:33 reboot",
         "j150, r60", "09:33 reboot"},
        {"resume from sleep: no burst, then on as usual", utc, at(kMon, 9, 30, 30),
         "Mon 09:31 shutdown, Mon 09:35 shutdown, Mon 09:40 reboot", "r10, j480, r120", "09:40 reboot"},
        {"late by a few minutes: scanned", utc, at(kMon, 9, 30, 50), "Mon 09:31 shutdown", "s200", "09:31 shutdown"},
        {"late by more than five minutes: the last five", utc, at(kMon, 9, 30, 50),
         "Mon 09:31 shutdown, Mon 09:32 reboot", "s420", "09:32 reboot"},
        {"Berlin autumn: the repeated hour fires nothing again", berlin, sunday(10, 25, 2, 29, 30),
         "Sun 02:30 shutdown, Sun 02:31 reboot", "r3720", "02:30 shutdown, 02:31 reboot"},
        {"Berlin autumn: a line made in the first pass for the second", berlin, sunday(10, 25, 2, 50, 0),
         "Sun 02:05 reboot", "r960", "02:05 reboot"},
        {"Berlin spring: the skipped minutes right after the change, first match", berlin, sunday(3, 29, 1, 59, 30),
         "Sun 02:40 shutdown, Sun 02:15 reboot, Sun 03:01 shutdown", "r120", "02:15 reboot, 03:01 shutdown"},
        {"Berlin spring, late over the change", berlin, sunday(3, 29, 1, 57, 30),
         "Sun 02:59 shutdown, Sun 03:00 reboot", "s150", "02:59 shutdown"},
        {"New York spring", newYork, sunday(3, 8, 1, 59, 50), "Sun 02:30 reboot", "r20", "02:30 reboot"},
        {"New York autumn", newYork, sunday(11, 1, 1, 29, 30), "Sun 01:30 shutdown", "r3660", "01:30 shutdown"},
    };
    for (const auto& c : cases) {
        FakeSettings settings;
        EXPECT_TRUE(settings.save("24hr", "True").ok());
        FakeClock clock{c.start, c.zone};
        FakeHost host{settings};
        for (const std::string& event : split(c.events)) {
            const bool reboot = event.substr(10) == "reboot";
            host.events.push_back("On " + event.substr(0, 3) + " at " + event.substr(4, 5) + "   , " +
                                  (reboot ? "Reboot,   " : "Shut Down,") + " Repeat daily");
        }
        ScheduleChecker checker{host, settings, clock};
        checker.checkevents();
        for (const std::string& move : split(c.moves)) {
            const int n = std::stoi(move.substr(1));
            if (move[0] == 'r') {
                for (int i = 0; i < n; ++i) {
                    clock.advanceSeconds(1);
                    checker.checkevents();
                }
                continue;
            }
            if (move[0] == 's')
                clock.advanceSeconds(n);
            else
                clock.jumpWall(std::chrono::seconds(n));
            checker.checkevents();
        }
        EXPECT_EQ(joined(host.firedMinutes), c.fired) << c.note;
    }
}

// The line the editor writes for that weekday and minute in either clock form.
std::string lineAt(const LocalTime& t, bool twentyFour, bool reboot, bool repeat)
{
    const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    const int hour = twentyFour ? t.hour : (t.hour % 12 == 0 ? 12 : t.hour % 12);
    char line[64];
    std::snprintf(line, sizeof line, "On %s at %02d:%02d %s, %s %s", days[t.weekday], hour, t.minute,
                  twentyFour ? "  " : (t.hour < 12 ? "AM" : "PM"), reboot ? "Reboot,   " : "Shut Down,",
                  repeat ? "Repeat daily" : "Don't repeat");
    return line;
}

// One line per slot 41 minutes apart over the week from `monday` (Monday 00:41 ...): a third repeat and
// fire in both weeks, the rest are one-offs; a few repeating slots have a second line that never fires,
// since the first line of a minute takes it. `expected` counts the firings of each minute.
std::vector<std::string> fortnightLines(const LocalTime& monday, bool twentyFour, std::map<std::string, int>& expected)
{
    std::vector<std::string> lines;
    for (int slot = 1; slot * 41 < 7 * 24 * 60; ++slot) {
        const LocalTime t = addMinutes(monday, slot * 41);
        const bool repeat = slot % 3 == 0;
        lines.push_back(lineAt(t, twentyFour, false, repeat));
        if (repeat && slot % 27 == 0)
            lines.push_back(lineAt(t, twentyFour, true, repeat));
        ++expected[minuteStamp(t)];
        if (repeat)
            ++expected[minuteStamp(addMinutes(t, 7 * 24 * 60))];
    }
    return lines;
}

// Two weeks of the checker ticking as a busy machine does: each second give or take 50 ms, now and then a
// stall of a few seconds. After each tick that fired, `fired` is called. Each firing is the one
// nextFiring foretold after the one before, and each line's first firing the one nextFirings foretold
// at the start.
template <class OnFiring>
void runFortnight(FakeClock& clock, FakeSettings& settings, FakeHost& host, bool twentyFour, unsigned seed,
                  OnFiring fired)
{
    const auto foretell = [&] {
        return nextFiring(host.events, twentyFour, clock, clock.wallNow(),
                          parseFirings(settings.get(setting::kLastFired, "")),
                          parseSkips(settings.get(setting::kSkips, "")));
    };
    const WallTime end = clock.wallNow() + std::chrono::days(14);
    const std::vector<NextFiring> each =
        nextFirings(host.events, twentyFour, clock, clock.wallNow(), {}, parseSkips(settings.get(setting::kSkips, "")));
    std::optional<NextFiring> next = foretell();
    std::vector<std::string> made; // "minute action" of every firing

    ScheduleChecker checker{host, settings, clock};
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> jitter(-50, 50);
    std::uniform_int_distribution<int> stallEvery(0, 999);
    std::size_t seen = 0;
    while (clock.wallNow() < end) {
        clock.advance(std::chrono::milliseconds(1000 + jitter(random)));
        if (stallEvery(random) < 10)
            clock.advanceSeconds(3 + stallEvery(random) % 5);
        // Ticks in the middle of a minute change nothing; leaving them out keeps the run short.
        if (const int second = clock.now().second; second > 3 && second < 56)
            clock.advanceSeconds(56 - second);
        const std::size_t logged = host.log.size();
        checker.checkevents();
        if (host.firedMinutes.size() == seen)
            continue;
        seen = host.firedMinutes.size();
        const long long minute = host.firedNumbers.back();
        const std::string stamp = minuteStamp(fromMinuteNumber(minute));
        made.push_back(stamp + ' ' + host.log.back());
        if (next) {
            EXPECT_EQ(stamp + ' ' + host.log.back(),
                      minuteStamp(fromMinuteNumber(next->dueMinute)) + ' ' + (next->reboot ? "reboot" : "shutdown"));
            EXPECT_EQ(host.log[logged] == "drop " + toLowerAscii(next->line), !next->repeat) << stamp;
            // Made in the minute foretold, or within the few seconds a stall delayed it.
            EXPECT_GE(clock.wallNow(), next->at) << stamp;
            EXPECT_LT(clock.wallNow(), next->at + std::chrono::seconds(60 + 8)) << stamp;
        } else {
            ADD_FAILURE() << "fired unforeseen at " << stamp;
        }
        fired(minute);
        next = foretell();
    }
    EXPECT_TRUE(!next || next->at > end - std::chrono::seconds(60 + 8)) << "foretold but not made";
    for (const NextFiring& first : each) {
        if (first.at > end - std::chrono::seconds(60 + 8))
            continue;
        const std::string firing =
            minuteStamp(fromMinuteNumber(first.dueMinute)) + ' ' + (first.reboot ? "reboot" : "shutdown");
        const bool wasMade = std::find(made.begin(), made.end(), firing) != made.end();
        EXPECT_EQ(wasMade, !first.skipped) << firing;
    }
}

TEST(ScheduleCheckerClock, AFortnightOfJitterAndStallsFiresEveryEventOnceInItsMinute)
{
    for (const bool twentyFour : {false, true}) {
        FakeSettings settings;
        EXPECT_TRUE(settings.save("24hr", twentyFour ? "True" : "False").ok());
        FakeClock clock{at(kMon, 0, 0, 0)};
        FakeHost host{settings};
        std::map<std::string, int> expected; // "YYYY-MM-DD HH:MM" -> firings
        host.events = fortnightLines(at(kMon, 0, 0, 0), twentyFour, expected);
        ASSERT_GE(expected.size(), 200u);

        std::map<std::string, int> fired;
        runFortnight(clock, settings, host, twentyFour, twentyFour ? 7 : 11, [&](long long minute) {
            const std::string stamp = minuteStamp(fromMinuteNumber(minute));
            ++fired[stamp];
            EXPECT_EQ(host.log.back(), "shutdown") << stamp;
            // Fired in its minute, or within the few seconds a stall delayed it.
            const LocalTime now = clock.now();
            const long long late = (minuteNumber(now) - minute) * 60 + now.second;
            EXPECT_GE(late, 0) << stamp;
            EXPECT_LT(late, 60 + 8) << stamp;
        });
        EXPECT_EQ(fired, expected) << (twentyFour ? "24-hour" : "12-hour");
    }
}

TEST(ScheduleCheckerClock, FortnightsOverTheClockChangesFireWhatNextFiringForetells)
{
    // A Monday before each change night, and the hour the change skips or repeats on its Sunday.
    const struct
    {
        const char* note;
        FakeZone zone;
        LocalTime monday;
        int hour;
        bool twentyFour;
    } cases[] = {
        {"Berlin spring", FakeZone::europeBerlin2026(), {2026, 3, 23, 0, 0, 0, 1}, 2, true},
        {"Berlin autumn", FakeZone::europeBerlin2026(), {2026, 10, 19, 0, 0, 0, 1}, 2, false},
        {"New York spring", FakeZone::americaNewYork2026(), {2026, 3, 2, 0, 0, 0, 1}, 2, false},
        {"New York autumn", FakeZone::americaNewYork2026(), {2026, 10, 26, 0, 0, 0, 1}, 1, true},
    };
    for (const auto& c : cases) {
        FakeSettings settings;
        EXPECT_TRUE(settings.save("24hr", c.twentyFour ? "True" : "False").ok());
        FakeClock clock{c.monday, c.zone};
        FakeHost host{settings};
        std::map<std::string, int> ignored;
        host.events = fortnightLines(c.monday, c.twentyFour, ignored);
        // In the hour of the change: a one-off above a repeating line of its minute, and two more lines.
        const LocalTime night = addMinutes(c.monday, (6 * 24 + c.hour) * 60);
        host.events.push_back(lineAt(addMinutes(night, 20), c.twentyFour, false, false));
        host.events.push_back(lineAt(addMinutes(night, 20), c.twentyFour, true, true));
        host.events.push_back(lineAt(addMinutes(night, 30), c.twentyFour, true, true));
        host.events.push_back(lineAt(addMinutes(night, 45), c.twentyFour, false, true));
        // Skipped: the first repeating slot in the first week, the line at 45 in the second.
        Skips skips = {{lineKey(host.events[2]), minuteNumber(addMinutes(c.monday, 3 * 41))},
                       {lineKey(host.events.back()), minuteNumber(addMinutes(night, 7 * 24 * 60 + 45))}};
        EXPECT_TRUE(settings.save(setting::kSkips, formatSkips(skips)).ok());

        std::size_t firings = 0;
        runFortnight(clock, settings, host, c.twentyFour, 5, [&](long long) { ++firings; });
        EXPECT_GE(firings, 250u) << c.note;
    }
}

} // namespace
} // namespace quelvo
