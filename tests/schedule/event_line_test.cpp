#include "schedule/event_line.h"

#include <gtest/gtest.h>

namespace quelvo {
namespace {

const std::string kLineA = "On Mon at 07:30 AM, Shut Down, Repeat daily";
const std::string kLineB = "On Fri at 11:45 PM, Reboot,    Don't repeat";
const std::string kLineC = "On Sun at 23:05   , Shut Down, Don't repeat";

TEST(EventLine, ComposesBothFormsAtFixedPositions)
{
    const std::string a = composeEventLine({"Mon", "07", "30", "AM", false, true, false});
    const std::string b = composeEventLine({"Fri", "11", "45", "PM", true, false, false});
    const std::string c = composeEventLine({"Sun", "23", "05", "PM", false, false, true});
    EXPECT_EQ(a, kLineA);
    EXPECT_EQ(b, kLineB);
    EXPECT_EQ(c, kLineC); // the AM/PM text plays no part in the 24-hour form
    for (const auto& line : {a, b, c}) {
        ASSERT_EQ(line.size(), kEventLineLength);
        EXPECT_EQ(line.substr(18, 2), ", ");
        EXPECT_TRUE(line.substr(20, 11) == "Shut Down, " || line.substr(20, 11) == "Reboot,    ") << line;
    }
}

TEST(EventLine, SplitsTheExamplesAndGivesThemBack)
{
    struct Case
    {
        std::string line;
        DisplayRow row;
    };
    const Case cases[] = {
        {kLineA, {" Mon at 07:30 AM", " Shut Down", " Repeat daily"}},
        {kLineB, {" Fri at 11:45 PM", " Reboot", "    Don't repeat"}},
        {kLineC, {" Sun at 23:05   ", " Shut Down", " Don't repeat"}},
        // Lower case after the checker's rewrite, and extra commas in the last column.
        {"on mon at 07:30 am, shut down, repeat daily", {" mon at 07:30 am", " shut down", " repeat daily"}},
        {"On Tue at 01:00 AM, Reboot, a, b, c", {" Tue at 01:00 AM", " Reboot", " a, b, c"}},
    };
    for (const auto& c : cases) {
        const auto row = splitForDisplay(c.line);
        ASSERT_TRUE(row.has_value()) << c.line;
        EXPECT_EQ(*row, c.row) << c.line;
        // The row gives its line back; a lower-case "on" comes back as "On", equal without regard to case.
        EXPECT_TRUE(equalsIgnoringCase(rowToLine(*row), c.line)) << c.line;
        EXPECT_EQ(rowToLine(*row).substr(2), c.line.substr(2));
    }
}

TEST(EventLine, OddLinesSplitWithoutCrashing)
{
    EXPECT_FALSE(splitForDisplay("no comma at all").has_value());
    EXPECT_FALSE(splitForDisplay("").has_value());
    // One comma: the rest of the line is the action.
    EXPECT_EQ(*splitForDisplay("On x,y"), (DisplayRow{" x", "y", ""}));
    // A comma before the third character leaves the first column empty.
    EXPECT_EQ(*splitForDisplay(",a,b"), (DisplayRow{"", "a", "b"}));
}

TEST(EventLine, CaseFoldingTouchesOnlyAsciiLetters)
{
    EXPECT_EQ(toLowerAscii("On MON \xC4Z"), "on mon \xC4z");
    EXPECT_TRUE(equalsIgnoringCase(kLineA, toLowerAscii(kLineA)));
    EXPECT_FALSE(equalsIgnoringCase(kLineA, kLineB));
    EXPECT_FALSE(equalsIgnoringCase("abc", "abcd"));
}

} // namespace
} // namespace quelvo
