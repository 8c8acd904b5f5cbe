#include "countdown/countdown_presenter.h"

#include "fakes/fake_views.h"

#include <gtest/gtest.h>

namespace quelvo {
namespace {

using test::FakeCountdownFactory;
using test::FakeCountdownView;

// One kind's window over fake views; the test plays the window's timer.
struct Countdowns
{
    explicit Countdowns(CountdownKind kind)
        : presenter(kind,
                    {[this] { return forced; },
                     [this](CountdownKind k, bool f) {
                         acts.emplace_back(k, f);
                         secondsAtAct.push_back(windows.last(k)->seconds);
                         return answer;
                     },
                     [this] { ++ends; }},
                    [this](CountdownKind k, CountdownPresenter& p) { return windows(k, p); })
    {}
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            presenter.tick();
    }
    FakeCountdownView& window() { return *windows.built.back().second; }

    bool forced = true;
    PowerOutcome answer;
    std::vector<std::pair<CountdownKind, bool>> acts;
    std::vector<std::string> secondsAtAct;
    int ends = 0;
    FakeCountdownFactory windows;
    CountdownPresenter presenter; // last: goes before what its callbacks use
};

TEST(CountdownPresenter, ShutdownCountsDownBlinkingThenEndsTheProgram)
{
    Countdowns c(CountdownKind::Shutdown);
    c.presenter.open();
    FakeCountdownView& w = c.window();
    EXPECT_EQ(w.seconds, "10");
    EXPECT_TRUE(w.actionVisible);
    EXPECT_EQ(w.tickMs, 1000);
    EXPECT_EQ(w.shown, 1);
    c.ticks(3);
    EXPECT_EQ(w.seconds, "7");
    EXPECT_FALSE(w.actionVisible); // hidden after odd ticks
    c.ticks(7);
    EXPECT_EQ(c.acts, (std::vector<std::pair<CountdownKind, bool>>{{CountdownKind::Shutdown, true}}));
    EXPECT_EQ(c.secondsAtAct, std::vector<std::string>{"0"});
    EXPECT_EQ(c.ends, 1);
    EXPECT_FALSE(w.open);
    EXPECT_EQ(w.tickMs, 0);
    EXPECT_FALSE(c.presenter.isOpen());
}

TEST(CountdownPresenter, OpeningAnOpenWindowChangesNothing)
{
    Countdowns c(CountdownKind::Shutdown);
    c.presenter.open();
    c.ticks(2);
    c.presenter.open();
    EXPECT_EQ(c.windows.built.size(), 1U);
    EXPECT_EQ(c.window().seconds, "8");
    EXPECT_EQ(c.window().shown, 2); // brought into sight again
    EXPECT_EQ(c.presenter.countdown().SecondsLeft(), 8);
}

TEST(CountdownPresenter, CancelledOrClosedWindowCountsAfreshWhenReopened)
{
    Countdowns c(CountdownKind::Shutdown);
    for (const bool byWindowManager : {false, true}) {
        c.presenter.open();
        c.ticks(3);
        if (byWindowManager)
            c.presenter.closed();
        else
            c.presenter.cancel();
        EXPECT_FALSE(c.presenter.isOpen());
        c.ticks(10); // a late tick does nothing
        c.presenter.open();
        EXPECT_EQ(c.window().seconds, "10");
        EXPECT_EQ(c.window().tickMs, 1000);
        c.presenter.cancel();
    }
    EXPECT_EQ(c.windows.built.size(), 4U);
    EXPECT_TRUE(c.acts.empty());
}

TEST(CountdownPresenter, FiredRebootWindowRestsAtZeroUntilClosed)
{
    Countdowns c(CountdownKind::Reboot);
    c.presenter.openAtZero(); // what the tray's "now" command does
    EXPECT_EQ(c.window().seconds, "0");
    c.ticks(1);
    EXPECT_EQ(c.acts, (std::vector<std::pair<CountdownKind, bool>>{{CountdownKind::Reboot, false}}));
    EXPECT_EQ(c.ends, 0);
    EXPECT_TRUE(c.window().open);
    EXPECT_EQ(c.window().tickMs, 0);

    c.presenter.openAtZero(); // opened again: the same window, nothing restarts
    c.ticks(2);
    EXPECT_EQ(c.windows.built.size(), 1U);
    EXPECT_EQ(c.acts.size(), 1U);

    c.presenter.cancel();
    c.presenter.open();
    EXPECT_EQ(c.presenter.countdown().SecondsLeft(), 10);
}

TEST(CountdownPresenter, FailedRequestsAreReportedAndOnlyTheShutdownWindowCloses)
{
    for (const CountdownKind kind : {CountdownKind::Shutdown, CountdownKind::Reboot}) {
        Countdowns c(kind);
        c.answer = {true, "permission denied"};
        c.presenter.openAtZero();
        c.ticks(1);
        const std::string expected = kind == CountdownKind::Shutdown
                                         ? "The computer could not be shut down: permission denied"
                                         : "The computer could not be restarted: permission denied";
        EXPECT_EQ(c.window().errors, std::vector<std::string>{expected});
        EXPECT_EQ(c.window().open, kind == CountdownKind::Reboot);
        EXPECT_EQ(c.ends, 0);
    }
}

} // namespace
} // namespace quelvo
