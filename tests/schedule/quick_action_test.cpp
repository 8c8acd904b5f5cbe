#include "schedule/quick_action.h"

#include "fakes/fake_clock.h"
#include "schedule/schedule_checker.h"

#include <gtest/gtest.h>

namespace quelvo {
namespace {

constexpr int kMonBox = 0, kTueBox = 1, kFriBox = 4;

int checkedBox(const DayBoxes& days)
{
    int found = -1;
    for (int d = 0; d < 7; ++d) {
        if (days[static_cast<std::size_t>(d)]) {
            EXPECT_EQ(found, -1) << "more than one weekday checked";
            found = d;
        }
    }
    return found;
}

TEST(QuickAction, FillsTheEditorWithTheTargetMoment)
{
    struct Case
    {
        const char* note;
        LocalTime now;
        int minutes;
        bool twentyFour;
        int dayBox;
        const char* hour;
        const char* minute;
        std::optional<std::string> ampm;
    };
    const Case cases[] = {
        {"morning", {2026, 12, 7, 9, 30, 45, 1}, 5, false, kMonBox, "9", "35", "AM"},
        {"across noon", {2026, 12, 7, 11, 58, 0, 1}, 5, false, kMonBox, "12", "3", "PM"},
        {"afternoon", {2026, 12, 7, 12, 30, 0, 1}, 30, false, kMonBox, "1", "0", "PM"},
        {"across midnight", {2026, 12, 7, 23, 58, 0, 1}, 5, false, kTueBox, "12", "3", "AM"},
        {"an hour past midnight", {2026, 12, 7, 23, 30, 0, 1}, 60, false, kTueBox, "12", "30", "AM"},
        {"24-hour mode", {2026, 12, 7, 13, 5, 59, 1}, 15, true, kMonBox, "13", "20", std::nullopt},
        {"24-hour midnight", {2026, 12, 13, 23, 30, 0, 0}, 60, true, kMonBox, "0", "30", std::nullopt},
        {"new year", {2026, 12, 31, 23, 50, 0, 4}, 15, false, kFriBox, "12", "5", "AM"},
    };
    for (const auto& c : cases) {
        for (bool reboot : {false, true}) {
            const QuickActionFill fill = quickaction(c.minutes, reboot, c.twentyFour, test::FakeClock(c.now));
            EXPECT_EQ(checkedBox(fill.days), c.dayBox) << c.note;
            EXPECT_EQ(fill.hour, c.hour) << c.note;
            EXPECT_EQ(fill.minute, c.minute) << c.note;
            EXPECT_EQ(fill.ampm, c.ampm) << c.note;
            EXPECT_FALSE(fill.repeat);
            EXPECT_EQ(fill.reboot, reboot);
            EXPECT_EQ(fill.shutdown, !reboot);
        }
    }
}

TEST(QuickAction, CountsRealMinutesAcrossADaylightSavingChange)
{
    const auto berlin = test::FakeZone::europeBerlin2026();
    const auto newYork = test::FakeZone::americaNewYork2026();
    const struct
    {
        test::FakeZone zone;
        int month, day, hour, minute; // 2026, local; where the zone repeats it, the first pass
        int add;
        const char* target;
    } cases[] = {
        {berlin, 3, 29, 1, 50, 15, "2026-03-29 03:05"},  // over the spring gap
        {berlin, 10, 25, 2, 50, 15, "2026-10-25 02:05"}, // from summer time into the repeated hour
        {newYork, 3, 8, 1, 30, 60, "2026-03-08 03:30"},
        {newYork, 11, 1, 1, 45, 30, "2026-11-01 01:15"},
    };
    for (const auto& c : cases) {
        const test::FakeClock clock({2026, c.month, c.day, c.hour, c.minute, 0, 0}, c.zone);
        EXPECT_EQ(minuteStamp(quickaction(c.add, false, true, clock).target), c.target);
    }
}

TEST(QuickAction, FamilyTableAndMessages)
{
    // Command3 to Command10: the four delays shutting down, then the four rebooting, each button's
    // frame, tooltip and message naming its own action and delay, the last one too.
    ASSERT_EQ(kQuickActions.size(), 8u);
    const int delays[] = {5, 15, 30, 60};
    for (std::size_t i = 0; i < kQuickActions.size(); ++i) {
        const QuickActionMember& member = kQuickActions[i];
        EXPECT_EQ(member.button, "Command" + std::to_string(i + 3));
        EXPECT_EQ(member.minutes, delays[i % 4]) << member.button;
        EXPECT_EQ(member.reboot, i >= 4) << member.button;
        EXPECT_EQ(member.frame, member.reboot ? "ReBoot" : "ShutDown");
        EXPECT_EQ(member.caption, std::to_string(member.minutes) + " minutes");
        const std::string action = member.reboot ? "re boot" : "shut down";
        EXPECT_EQ(member.tooltip, "This will " + action + " your computer in " + std::string(member.caption));
        EXPECT_EQ(member.message,
                  "This computer will " + std::string(member.frame) + " in " + std::string(member.caption));
        EXPECT_EQ(findQuickAction(member.minutes, member.reboot), &member);
        EXPECT_EQ(quickaction(member.minutes, member.reboot, false, test::FakeClock()).message, member.message);
    }
    EXPECT_EQ(findQuickAction(7, false), nullptr);
}

TEST(QuickAction, SavedEventFiresAtTheStartOfItsMinuteFromOneClockReading)
{
    for (bool twentyFour : {false, true}) {
        test::FakeClock clock({2026, 12, 7, 23, 58, 45, 1}); // Monday
        const QuickActionFill fill = quickaction(5, true, twentyFour, clock);
        const SavePlan plan = planSave(editorInputFor(fill, "PM", twentyFour));
        ASSERT_TRUE(plan.ok()) << plan.error->text;
        ASSERT_EQ(plan.lines.size(), 1u);
        EXPECT_EQ(plan.lines[0], twentyFour ? "On Tue at 00:03   , Reboot,    Don't repeat"
                                            : "On Tue at 12:03 AM, Reboot,    Don't repeat");

        clock.advanceSeconds(4 * 60 + 14); // 00:02:59 on Tuesday: not yet
        EXPECT_FALSE(findDue(plan.lines, clock.now(), twentyFour));
        clock.advanceSeconds(1);
        const auto due = findDue(plan.lines, clock.now(), twentyFour);
        ASSERT_TRUE(due);
        EXPECT_TRUE(due->reboot);
        EXPECT_FALSE(due->repeat);
    }
}

TEST(QuickAction, TwentyFourHourModeKeepsTheAmPmText)
{
    const test::FakeClock clock({2026, 12, 7, 9, 0, 0, 1});
    EXPECT_EQ(editorInputFor(quickaction(5, false, true, clock), "PM", true).ampm, "PM");
    EXPECT_EQ(editorInputFor(quickaction(5, false, false, clock), "PM", false).ampm, "AM");
}

} // namespace
} // namespace quelvo
