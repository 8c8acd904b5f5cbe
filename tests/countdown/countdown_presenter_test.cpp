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
                         return answer;
                     },
                     [this] { ++ends; }, [] { return 15; },
                     [this](CountdownKind k, int m) { postponed.emplace_back(k, m); }},
                    [this](CountdownKind k, CountdownControls& p) { return windows(k, p); })
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
    int ends = 0;
    std::vector<std::pair<CountdownKind, int>> postponed;
    FakeCountdownFactory windows;
    CountdownPresenter presenter; // last: goes before what its callbacks use
};

// The count itself is Countdown's (countdown_test); these are the window's comings and goings.
TEST(CountdownPresenter, ShutdownWindowCountsThenClosesAndEndsTheProgram)
{
    Countdowns c(CountdownKind::Shutdown);
    c.presenter.open();
    FakeCountdownView& w = c.window();
    EXPECT_EQ(w.seconds, "10");
    EXPECT_TRUE(w.actionVisible);
    EXPECT_EQ(w.tickMs, 1000);
    c.ticks(3);
    c.presenter.open(); // opened again: the same window, still counting
    EXPECT_EQ(c.windows.built.size(), 1U);
    EXPECT_EQ(w.shown, 2);
    EXPECT_EQ(w.seconds, "7");
    EXPECT_FALSE(w.actionVisible);
    c.ticks(7);
    EXPECT_EQ(c.acts, (std::vector<std::pair<CountdownKind, bool>>{{CountdownKind::Shutdown, true}}));
    EXPECT_EQ(w.seconds, "0");
    EXPECT_EQ(c.ends, 1);
    EXPECT_FALSE(w.open);
    EXPECT_EQ(w.tickMs, 0);
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
        c.presenter.cancel();
    }
    EXPECT_EQ(c.windows.built.size(), 4U);
    EXPECT_TRUE(c.acts.empty());
}

// What follows a request is Countdown's decision (countdown_test); here the window carries it out.
TEST(CountdownPresenter, OnlyARebootOnItsWayLeavesItsWindowAtZero)
{
    struct Case
    {
        CountdownKind kind;
        PowerOutcome answer;
        std::size_t errors;
        bool stays;
    };
    const Case cases[] = {
        {CountdownKind::Reboot, {}, 0, true},
        {CountdownKind::Reboot, {true, "no helper"}, 1, false},
        {CountdownKind::Reboot, {false, "", true}, 0, false}, // a dry run: nothing restarts
        {CountdownKind::Shutdown, {true, "denied"}, 1, false},
    };
    for (const Case& c : cases) {
        Countdowns d(c.kind);
        d.answer = c.answer;
        d.presenter.openAtZero(); // what the tray's "now" commands do
        EXPECT_EQ(d.window().seconds, "0");
        d.ticks(1);
        ASSERT_EQ(d.acts.size(), 1U);
        EXPECT_EQ(d.acts[0].second, c.kind == CountdownKind::Shutdown); // the box only matters to a shutdown
        EXPECT_EQ(d.window().errors.size(), c.errors);
        EXPECT_EQ(d.window().open, c.stays);
        EXPECT_EQ(d.ends, 0);
        // Opened again: a window left at "0" starts nothing; a closed one opens anew and acts.
        d.presenter.openAtZero();
        d.ticks(2);
        EXPECT_EQ(d.acts.size(), c.stays ? 1U : 2U);
        EXPECT_EQ(d.windows.built.size(), c.stays ? 1U : 2U);
    }
}

// Once the request is due there is nothing left to put off.
TEST(CountdownPresenter, NoPostponeOnceTheRequestIsDue)
{
    Countdowns d(CountdownKind::Reboot); // its window rests at "0" once the request went out
    d.presenter.open();
    EXPECT_EQ(d.window().postpone, "&Postpone 15 min");
    d.ticks(10);
    EXPECT_EQ(d.window().postpone, "");
    d.presenter.postpone();
    EXPECT_TRUE(d.postponed.empty());
    EXPECT_TRUE(d.window().open);
}

// A shutdown through a companion waits at "0" for its end: success ends the program, a failure is
// said as a refused request is, and a companion still running after the wait is left alone.
TEST(CountdownPresenter, ShutdownWaitsForItsCompanion)
{
    const struct
    {
        CompanionEnd end;
        std::vector<std::string> errors;
        int ends;
    } cases[] = {
        {{CompanionEnd::Kind::Succeeded, ""}, {}, 1},
        {{CompanionEnd::Kind::Failed, "status 1"}, {"The computer could not be shut down: status 1"}, 0},
        {{CompanionEnd::Kind::StillRunning, ""}, {}, 0},
    };
    for (const auto& c : cases) {
        Countdowns d(CountdownKind::Shutdown);
        d.answer.companion = std::make_shared<CompanionWatch>();
        d.presenter.openAtZero();
        d.ticks(1);
        EXPECT_TRUE(d.window().open);
        EXPECT_EQ(d.ends, 0);
        d.answer.companion->ended(c.end);
        EXPECT_FALSE(d.window().open);
        EXPECT_EQ(d.window().errors, c.errors);
        EXPECT_EQ(d.ends, c.ends);
    }
    // Closed by the user meanwhile: the companion's word changes nothing.
    Countdowns d(CountdownKind::Shutdown);
    d.answer.companion = std::make_shared<CompanionWatch>();
    d.presenter.openAtZero();
    d.ticks(1);
    d.presenter.cancel();
    d.answer.companion->ended({CompanionEnd::Kind::Succeeded, ""});
    EXPECT_EQ(d.ends, 0);
}

} // namespace
} // namespace quelvo
