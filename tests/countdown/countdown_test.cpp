#include "countdown/countdown.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace quelvo {
namespace {

// Records each power request and answers with a preset outcome.
struct PowerLog
{
    struct Call
    {
        CountdownKind kind;
        bool forced;
    };
    std::vector<Call> calls;
    PowerOutcome answer;
    bool forcedBox = true;
    int forcedReads = 0;

    Countdown make(CountdownKind kind)
    {
        return Countdown(
            kind,
            [this] {
                ++forcedReads;
                return forcedBox;
            },
            [this](CountdownKind k, bool forced) {
                calls.push_back({k, forced});
                return answer;
            });
    }
};

TEST(Countdown, ShowsNineToOneThenFiresOnTheTenthTick)
{
    PowerLog power;
    auto countdown = power.make(CountdownKind::Shutdown);
    countdown.load();
    EXPECT_EQ(countdown.SecondsLeft(), 10);
    for (int expected = 9; expected >= 1; --expected) {
        const auto step = countdown.tick();
        EXPECT_EQ(step.secondsText, std::to_string(expected));
        EXPECT_EQ(step.actionLabelVisible, expected % 2 == 0); // hidden on the first tick, then alternating
        EXPECT_FALSE(step.stopTimer);
        EXPECT_FALSE(step.due);
        EXPECT_EQ(countdown.fire().after, AfterAction::None); // nothing to carry out yet
    }
    EXPECT_TRUE(power.calls.empty());
    EXPECT_EQ(power.forcedReads, 0);
    const auto last = countdown.tick();
    EXPECT_EQ(last.secondsText, "0");
    EXPECT_TRUE(last.stopTimer);
    EXPECT_TRUE(last.due);
    EXPECT_TRUE(power.calls.empty()); // the window shows "0" before the request goes out
    EXPECT_EQ(countdown.fire().after, AfterAction::EndProgram);
    EXPECT_EQ(countdown.fire().after, AfterAction::None); // once only
    ASSERT_EQ(power.calls.size(), 1U);
    EXPECT_TRUE(power.calls[0].forced);
}

TEST(Countdown, ForcedIsReadAtZeroNotAtOpening)
{
    PowerLog power;
    power.forcedBox = true;
    auto countdown = power.make(CountdownKind::Shutdown);
    countdown.load();
    countdown.tick();
    power.forcedBox = false; // the user clears the box during the count
    countdown.zerocount();
    countdown.tick();
    countdown.fire();
    ASSERT_EQ(power.calls.size(), 1U);
    EXPECT_FALSE(power.calls[0].forced);
    EXPECT_EQ(power.forcedReads, 1);
}

TEST(Countdown, WhatFollowsTheRequest)
{
    struct Case
    {
        CountdownKind kind;
        PowerOutcome answer;
        AfterAction after;
        std::string message;
    };
    const Case cases[] = {
        {CountdownKind::Shutdown, {false, ""}, AfterAction::EndProgram, ""},
        {CountdownKind::Shutdown,
         {true, "logind refused"},
         AfterAction::CloseAndReportError,
         "The computer could not be shut down: logind refused"},
        {CountdownKind::Shutdown, {true, ""}, AfterAction::CloseAndReportError, "The computer could not be shut down."},
        {CountdownKind::Reboot, {false, ""}, AfterAction::None, ""},
        // A reboot that is not on its way closes, so that the next reboot opens a window that acts.
        {CountdownKind::Reboot,
         {true, "no helper"},
         AfterAction::CloseAndReportError,
         "The computer could not be restarted: no helper"},
        {CountdownKind::Reboot, {false, "", true}, AfterAction::Close, ""},
        {CountdownKind::Shutdown, {false, "", true}, AfterAction::EndProgram, ""},
    };
    for (const auto& c : cases) {
        PowerLog power;
        power.answer = c.answer;
        auto countdown = power.make(c.kind);
        countdown.load();
        countdown.zerocount();
        countdown.tick();
        const auto step = countdown.fire();
        EXPECT_EQ(step.after, c.after) << c.message;
        EXPECT_EQ(step.errorMessage, c.message);
        EXPECT_EQ(countdown.state(), c.after == AfterAction::None ? Countdown::State::Fired : Countdown::State::Closed);
    }
}

TEST(Countdown, ThrowingRequestCountsAsFailure)
{
    Countdown countdown(
        CountdownKind::Shutdown, [] { return false; },
        [](CountdownKind, bool) -> PowerOutcome { throw std::runtime_error("bus gone"); });
    countdown.load();
    countdown.zerocount();
    countdown.tick();
    const auto step = countdown.fire();
    EXPECT_EQ(step.after, AfterAction::CloseAndReportError);
    EXPECT_EQ(step.errorMessage, "The computer could not be shut down: bus gone");
}

} // namespace
} // namespace quelvo
