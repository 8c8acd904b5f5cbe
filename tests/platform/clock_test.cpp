#include "platform/clock.h"

#include <gtest/gtest.h>

namespace quelvo {
namespace {

TEST(Clock, AddMinutesCarriesAcrossDaysMonthsAndYears)
{
    struct Case
    {
        LocalTime from;
        int minutes;
        LocalTime expected;
    };
    const Case cases[] = {
        // Monday 23:30 plus an hour is Tuesday 00:30.
        {{2026, 12, 7, 23, 30, 0, 1}, 60, {2026, 12, 8, 0, 30, 0, 2}},
        // New Year's Eve into the next year.
        {{2026, 12, 31, 23, 58, 0, 4}, 5, {2027, 1, 1, 0, 3, 0, 5}},
        // Leap day.
        {{2028, 2, 28, 23, 45, 0, 1}, 30, {2028, 2, 29, 0, 15, 0, 2}},
        // Backwards over midnight.
        {{2026, 12, 7, 0, 10, 0, 1}, -20, {2026, 12, 6, 23, 50, 0, 0}},
        // Noon is not a boundary.
        {{2026, 12, 7, 11, 58, 0, 1}, 5, {2026, 12, 7, 12, 3, 0, 1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(addMinutes(c.from, c.minutes), c.expected)
            << c.from.day << " " << c.from.hour << ":" << c.from.minute;
}

} // namespace
} // namespace quelvo
