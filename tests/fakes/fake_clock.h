#pragma once

#include "platform/clock.h"

namespace quelvo::test {

/// A clock that stands still until the test moves it.
class FakeClock final : public Clock
{
public:
    explicit FakeClock(LocalTime start = {2026, 12, 7, 9, 30, 0, 1}) : m_now(start) {}

    [[nodiscard]] LocalTime now() const override { return m_now; }
    [[nodiscard]] std::chrono::steady_clock::time_point steadyNow() const override { return m_steady; }

    void set(const LocalTime& t) { m_now = t; }
    void advanceSeconds(int seconds)
    {
        m_steady += std::chrono::seconds(seconds);
        const int total = m_now.second + seconds;
        const int carryMinutes = total >= 0 ? total / 60 : -((-total + 59) / 60);
        m_now.second = total - carryMinutes * 60;
        if (carryMinutes != 0) {
            const int second = m_now.second;
            m_now = addMinutes(m_now, carryMinutes);
            m_now.second = second;
        }
    }
    void advanceMinutes(int minutes) { advanceSeconds(minutes * 60); }
    void advanceDays(int days) { advanceSeconds(days * 24 * 60 * 60); }

private:
    LocalTime m_now;
    std::chrono::steady_clock::time_point m_steady{};
};

} // namespace quelvo::test
