#pragma once

#include "platform/clock.h"

#include <utility>
#include <vector>

namespace quelvo::test {

/// A time zone as a table: the offset from UTC in minutes from each moment on.
struct FakeZone
{
    struct Step
    {
        WallTime from;
        int offsetMinutes;
    };
    int baseOffsetMinutes = 0; // before the first step
    std::vector<Step> steps;   // in time order

    [[nodiscard]] int offsetAt(WallTime t) const
    {
        int offset = baseOffsetMinutes;
        for (const Step& step : steps) {
            if (step.from <= t)
                offset = step.offsetMinutes;
        }
        return offset;
    }

    /// The moment a UTC date and time names.
    static WallTime utc(int year, int month, int day, int hour, int minute, int second = 0)
    {
        return WallTime{} + std::chrono::minutes(minuteNumber({year, month, day, hour, minute, 0, 0})) +
               std::chrono::seconds(second);
    }
    /// 2026 as the zone database has it: changes on 29 March and 25 October at 01:00 UTC.
    static FakeZone europeBerlin2026() { return {60, {{utc(2026, 3, 29, 1, 0), 120}, {utc(2026, 10, 25, 1, 0), 60}}}; }
    /// 2026: changes on 8 March at 07:00 UTC and 1 November at 06:00 UTC (02:00 local both times).
    static FakeZone americaNewYork2026()
    {
        return {-300, {{utc(2026, 3, 8, 7, 0), -240}, {utc(2026, 11, 1, 6, 0), -300}}};
    }
};

/// A clock that stands still until the test moves it; UTC unless given a zone.
class FakeClock final : public Clock
{
public:
    explicit FakeClock(LocalTime start = {2026, 12, 7, 9, 30, 0, 1}, FakeZone zone = {}) : m_zone(std::move(zone))
    {
        set(start);
    }

    [[nodiscard]] WallTime wallNow() const override { return m_wall; }
    [[nodiscard]] LocalTime toLocal(WallTime t) const override
    {
        const auto seconds =
            std::chrono::floor<std::chrono::seconds>(t.time_since_epoch()).count() + m_zone.offsetAt(t) * 60LL;
        const long long minutes = seconds >= 0 ? seconds / 60 : -((-seconds + 59) / 60);
        LocalTime local = fromMinuteNumber(minutes);
        local.second = static_cast<int>(seconds - minutes * 60);
        return local;
    }
    [[nodiscard]] std::chrono::steady_clock::time_point steadyNow() const override { return m_steady; }

    /// Sets the wall clock to that local time (the earlier one where the zone repeats it), as a user
    /// setting the clock does: the steady clock does not move.
    void set(const LocalTime& t)
    {
        const long long localSeconds = minuteNumber(t) * 60 + t.second;
        const auto at = [&](int offset) { return WallTime{} + std::chrono::seconds(localSeconds - offset * 60LL); };
        std::vector<int> offsets{m_zone.baseOffsetMinutes};
        for (const auto& step : m_zone.steps)
            offsets.push_back(step.offsetMinutes);
        m_wall = at(offsets.front());
        bool found = false;
        for (int offset : offsets) {
            const WallTime candidate = at(offset);
            if (m_zone.offsetAt(candidate) == offset && (!found || candidate < m_wall)) {
                m_wall = candidate;
                found = true;
            }
        }
    }
    /// Time passes: both clocks move.
    void advance(std::chrono::milliseconds by)
    {
        m_wall += by;
        m_steady += by;
    }
    void advanceSeconds(int seconds) { advance(std::chrono::seconds(seconds)); }
    void advanceMinutes(int minutes) { advanceSeconds(minutes * 60); }
    void advanceDays(int days) { advanceSeconds(days * 24 * 60 * 60); }
    /// Only the wall clock moves: a resume from sleep, or the clock set by hand.
    void jumpWall(std::chrono::seconds by) { m_wall += by; }
    /// The machine's time zone changes: the same moment reads as another local time.
    void setZone(FakeZone zone) { m_zone = std::move(zone); }

private:
    FakeZone m_zone;
    WallTime m_wall{};
    std::chrono::steady_clock::time_point m_steady{};
};

} // namespace quelvo::test
