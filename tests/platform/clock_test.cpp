#include "platform/clock.h"

#include "fakes/fake_clock.h"
#include "platform/linux/system_clock.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

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

TEST(SystemClock, ConvertsAsTheZoneTablesOfTheTestsSay)
{
    // The fakes' daylight-saving tables against the zone database, around each change.
    const char* saved = std::getenv("TZ");
    const std::string before = saved ? saved : "";
    const struct
    {
        const char* tz;
        test::FakeZone zone;
    } zones[] = {{"Europe/Berlin", test::FakeZone::europeBerlin2026()},
                 {"America/New_York", test::FakeZone::americaNewYork2026()}};
    for (const auto& z : zones) {
        ::setenv("TZ", z.tz, 1);
        ::tzset();
        const SystemClock real;
        const test::FakeClock fake({}, z.zone);
        for (const auto& step : z.zone.steps) {
            for (const int minutes : {-61, -1, 0, 1, 59, 61}) {
                const WallTime t = step.from + std::chrono::minutes(minutes) + std::chrono::seconds(7);
                EXPECT_EQ(real.toLocal(t), fake.toLocal(t)) << z.tz << ' ' << minutes;
            }
        }
    }
    if (saved)
        ::setenv("TZ", before.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

} // namespace
} // namespace quelvo
