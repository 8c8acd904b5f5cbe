#include "schedule/event_editor.h"

#include <gtest/gtest.h>

#include <optional>

namespace quelvo {
namespace {

constexpr DayBoxes kMondayOnly = {true, false, false, false, false, false, false};

EditorInput input(std::string hour, std::string minute, std::string ampm, bool twentyFour)
{
    EditorInput in;
    in.days = kMondayOnly;
    in.hour = std::move(hour);
    in.minute = std::move(minute);
    in.ampm = std::move(ampm);
    in.shutdown = true;
    in.twentyFour = twentyFour;
    return in;
}

TEST(EventEditor, ReadsBoxNumbersAsPlainDecimalsOnly)
{
    struct Case
    {
        const char* text;
        long long value;
    };
    const Case numbers[] = {{"7", 7},  {"07", 7}, {"007", 7},   {" 7 ", 7}, {"\t7", 7},   {"+7", 7}, {"7.9", 7},
                            {"7.", 7}, {".5", 0}, {"-0.5", -1}, {"-2", -2}, {"-2.0", -2}, {"-0", 0}, {"59.999", 59}};
    for (const auto& c : numbers)
        EXPECT_EQ(readBoxNumber(c.text), c.value) << '"' << c.text << '"';

    // Besides the obvious, what a general text-to-number routine would take but an hour box must not.
    const char* notNumbers[] = {"",    " ",    "ab",    "7a",   "1 2",
                                ".",   "-",    "1.2.3", "7,5",  "inf",
                                "nan", "0x10", "1e1",   "-inf", "99999999999999999999"};
    for (const char* text : notNumbers)
        EXPECT_EQ(readBoxNumber(text), std::nullopt) << '"' << text << '"';
}

TEST(EventEditor, ValidatesHourMinuteAndAmPmPerMode)
{
    struct Case
    {
        EditorInput in;
        std::string_view message; // empty: the save goes through
        const char* hour = "";
        const char* minute = "";
    };
    const Case cases[] = {
        {input("23", "59", "", true), "", "23", "59"},
        {input("0", "0", "", true), "", "00", "00"},
        {input("24", "0", "", true), kHour24Message},
        {input("-1", "0", "", true), kHour24Message},
        {input("12", "0", "PM", false), "", "12", "00"},
        {input("1", "0", "AM", false), "", "01", "00"},
        {input("0", "0", "AM", false), kHour12Message},
        {input("13", "0", "AM", false), kHour12Message},
        {input("7.9", "5", "AM", false), "", "07", "05"},
        {input("-0.5", "5", "", true), kHour24Message},
        {input("", "5", "AM", false), kHour12Message},
        {input("seven", "5", "AM", false), kHour12Message},
        {input(" 7", "007", "AM", false), "", "07", "07"},
        {input("7", "60", "AM", false), kMinuteMessage},
        {input("7", "-1", "AM", false), kMinuteMessage},
        {input("7", "", "AM", false), kMinuteMessage},
        {input("7", "x", "AM", false), kMinuteMessage},
        {input("7", "59.5", "AM", false), "", "07", "59"},
        // The AM/PM text is checked in 12-hour mode only.
        {input("7", "5", "", false), kAmPmMessage},
        {input("7", "5", "XM", false), kAmPmMessage},
        {input("7", "5", "A", false), kAmPmMessage},
        {input("7", "5", "", true), "", "07", "05"},
    };
    for (const auto& c : cases) {
        const SavePlan plan = planSave(c.in);
        const std::string note = c.in.hour + "|" + c.in.minute + "|" + c.in.ampm;
        if (c.message.empty()) {
            ASSERT_TRUE(plan.ok()) << note << ": " << plan.error->text;
            EXPECT_EQ(plan.hour, c.hour) << note;
            EXPECT_EQ(plan.minute, c.minute) << note;
            ASSERT_EQ(plan.lines.size(), 1u) << note;
            EXPECT_EQ(plan.lines[0].size(), 43u) << note;
        } else {
            ASSERT_FALSE(plan.ok()) << note;
            EXPECT_EQ(*plan.error, (UserMessage{"Error!", std::string(c.message), MessageIcon::Information})) << note;
            EXPECT_TRUE(plan.lines.empty()) << note;
        }
    }
}

TEST(EventEditor, StopsAtTheFirstFailedCheck)
{
    EditorInput nothing = input("", "", "", false);
    nothing.days = {};
    nothing.shutdown = false;
    EXPECT_EQ(*planSave(nothing).error, (UserMessage{"Error!", std::string(kNoDayMessage), MessageIcon::Stop}));
    // The grave accent, not an apostrophe.
    EXPECT_NE(kNoDayMessage.find("didn`t"), std::string_view::npos);

    EditorInput badTime = input("13", "60", "?", false);
    badTime.shutdown = false;
    EXPECT_EQ(planSave(badTime).error->text, kHour12Message);
    badTime.hour = "12";
    EXPECT_EQ(planSave(badTime).error->text, kMinuteMessage);
    badTime.minute = "0";
    EXPECT_EQ(planSave(badTime).error->text, kAmPmMessage);
    badTime.ampm = "am";
    EXPECT_EQ(*planSave(badTime).error, (UserMessage{"Error!", std::string(kNoActionMessage), MessageIcon::Stop}));
}

TEST(EventEditor, ComposesOneLinePerDayMondayFirst)
{
    EditorInput in = input("7", "5", "AM", false);
    in.days = {false, false, false, false, true, false, false}; // Friday
    in.days[0] = true;                                          // and Monday
    in.repeat = true;
    SavePlan plan = planSave(in);
    ASSERT_TRUE(plan.ok());
    EXPECT_EQ(plan.lines, (std::vector<std::string>{"On Mon at 07:05 AM, Shut Down, Repeat daily",
                                                    "On Fri at 07:05 AM, Shut Down, Repeat daily"}));

    // Any letter case of AM/PM is written in capitals; both actions checked means reboot.
    in.days = {false, false, false, false, false, false, true};
    in.ampm = " pm ";
    in.reboot = true;
    in.repeat = false;
    plan = planSave(in);
    EXPECT_EQ(plan.ampm, "PM");
    EXPECT_EQ(plan.lines, std::vector<std::string>{"On Sun at 07:05 PM, Reboot,    Don't repeat"});

    // The 24-hour form ignores the AM/PM box and leaves its text alone.
    in = input("19", "40", "whatever", true);
    in.days.fill(true);
    plan = planSave(in);
    ASSERT_EQ(plan.lines.size(), 7u);
    EXPECT_EQ(plan.ampm, "whatever");
    EXPECT_EQ(plan.lines.front(), "On Mon at 19:40   , Shut Down, Don't repeat");
    EXPECT_EQ(plan.lines.back(), "On Sun at 19:40   , Shut Down, Don't repeat");
}

TEST(EventEditor, SelectAllLooksAtMondayToWednesdayOnly)
{
    constexpr DayBoxes all = {true, true, true, true, true, true, true};
    constexpr DayBoxes none = {};
    EXPECT_EQ(selectalldays({true, true, true, false, false, false, false}), none);
    EXPECT_EQ(selectalldays(all), none);
    EXPECT_EQ(selectalldays({false, false, false, true, false, false, false}), all);
    EXPECT_EQ(selectalldays({true, true, false, true, true, true, true}), all);
    EXPECT_EQ(selectalldays(none), all);
}

TEST(EventEditor, ActionPairAndWriteFailure)
{
    EXPECT_EQ(actionMouseUp(true), (ActionBoxes{false, true}));
    EXPECT_EQ(actionMouseUp(false), (ActionBoxes{true, false}));

    const UserMessage failed = saveFailedMessage("/opt/quelvo/events.ini", "Permission denied");
    EXPECT_EQ(failed.title, "Error!");
    EXPECT_NE(failed.text.find("/opt/quelvo/events.ini"), std::string::npos);
    EXPECT_NE(failed.text.find("Permission denied"), std::string::npos);
}

} // namespace
} // namespace quelvo
