#include "schedule/clock_mode.h"

#include <gtest/gtest.h>

namespace quelvo {
namespace {

constexpr LocalTime at(int hour, int minute)
{
    return {2026, 12, 7, hour, minute, 30, 1};
}

TEST(ClockMode, SwitchWarnsOnlyWhenTheStoredModeDiffers)
{
    struct Case
    {
        bool checked;
        const char* stored; // as read with the default "False"
        std::string_view warning;
    };
    const Case cases[] = {
        {true, "False", kTo24HourWarning},
        {false, "True", kTo12HourWarning},
        {true, "True", {}},   // start-up ticks the box for a stored 24-hour mode: silent
        {false, "False", {}}, //
        {true, "true", {}},   // stored texts compare exactly
        {false, "", {}},
    };
    for (const auto& c : cases) {
        const ClockModeChange change = setclockmode(c.checked, c.stored, at(7, 40));
        if (c.warning.empty()) {
            EXPECT_FALSE(change.warning) << c.checked << c.stored;
        } else {
            ASSERT_TRUE(change.warning) << c.checked << c.stored;
            EXPECT_EQ(*change.warning, (UserMessage{"Warning!", std::string(c.warning), MessageIcon::Information}));
        }
        EXPECT_EQ(change.store24hr, c.checked ? "True" : "False");
        EXPECT_EQ(change.ampmVisible, !c.checked);
    }
}

TEST(ClockMode, HourAndAmPmFollowTheCurrentTime)
{
    struct Case
    {
        int hour, minute;
        const char* hour24;
        const char* hour12;
        const char* ampm;
    };
    const Case cases[] = {
        {7, 40, "07", "7", "AM"},  {19, 40, "19", "7", "PM"},  {10, 15, "10", "10", "AM"}, {22, 15, "22", "10", "PM"},
        {0, 30, "00", "12", "AM"}, {12, 30, "12", "12", "PM"}, {11, 59, "11", "11", "AM"}, {12, 0, "12", "12", "PM"},
    };
    for (const auto& c : cases) {
        const ClockModeChange to24 = setclockmode(true, "False", at(c.hour, c.minute));
        EXPECT_EQ(to24.hourText, c.hour24) << c.hour;
        EXPECT_FALSE(to24.ampmList) << "24-hour mode leaves the AM/PM box alone";
        EXPECT_FALSE(to24.ampmText);

        const ClockModeChange to12 = setclockmode(false, "True", at(c.hour, c.minute));
        EXPECT_EQ(to12.hourText, c.hour12) << c.hour;
        EXPECT_EQ(to12.ampmText, c.ampm) << c.hour;
    }
}

TEST(ClockMode, ListsHaveTheirFixedEntries)
{
    const auto h24 = setclockmode(true, "False", at(9, 0)).hourList;
    ASSERT_EQ(h24.size(), 24u);
    EXPECT_EQ(h24.front(), "0");
    EXPECT_EQ(h24[9], "9");
    EXPECT_EQ(h24.back(), "23");
    EXPECT_EQ(setclockmode(false, "True", at(9, 0)).hourList,
              (std::vector<std::string>{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}));

    // The AM/PM box as the window keeps it across several switches in one run.
    std::vector<std::string> ampmBox = ampmList();
    for (int i = 0; i < 4; ++i) {
        for (bool checked : {true, false}) {
            const ClockModeChange change = setclockmode(checked, checked ? "False" : "True", at(14, 0));
            if (change.ampmList)
                ampmBox = *change.ampmList;
        }
    }
    EXPECT_EQ(ampmBox, (std::vector<std::string>{"AM", "PM"}));
}

TEST(ClockMode, FirstStartDecidesFromTheDesignator)
{
    EXPECT_FALSE(firstStartPrefers24Hour("AM"));
    EXPECT_FALSE(firstStartPrefers24Hour("pm"));
    EXPECT_FALSE(firstStartPrefers24Hour("AMX")); // only two characters take part
    EXPECT_TRUE(firstStartPrefers24Hour(""));     // locales without a designator
    EXPECT_TRUE(firstStartPrefers24Hour("a.m."));
    EXPECT_TRUE(firstStartPrefers24Hour("vorm."));
    EXPECT_TRUE(firstStartPrefers24Hour("\xE5\x8D\x88\xE5\x89\x8D"));
}

TEST(ClockMode, StartupPresetsPerMode)
{
    const EditorPresets twelve = startupPresets(false, at(19, 5));
    EXPECT_EQ(twelve.hourText, "7");
    EXPECT_EQ(twelve.minuteText, "05");
    EXPECT_EQ(twelve.ampmText, "PM");
    EXPECT_EQ(twelve.hourList.size(), 12u);
    EXPECT_EQ(twelve.ampmList, (std::vector<std::string>{"AM", "PM"}));
    ASSERT_EQ(twelve.minuteList.size(), 60u);
    EXPECT_EQ(twelve.minuteList.front(), "00");
    EXPECT_EQ(twelve.minuteList[9], "09");
    EXPECT_EQ(twelve.minuteList.back(), "59");
    EXPECT_EQ(startupPresets(false, at(0, 0)).hourText, "12");
    EXPECT_EQ(startupPresets(false, at(11, 0)).hourText, "11");

    const EditorPresets twentyFour = startupPresets(true, at(7, 5));
    EXPECT_EQ(twentyFour.hourText, "07");
    EXPECT_EQ(twentyFour.minuteText, "05");
    EXPECT_FALSE(twentyFour.ampmText);
    EXPECT_EQ(twentyFour.hourList.size(), 24u);
}

} // namespace
} // namespace quelvo
