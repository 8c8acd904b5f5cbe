#include "shell/machine_events_presenter.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_machine_link.h"
#include "fakes/fake_notifier.h"
#include "fakes/fake_views.h"

#include <gtest/gtest.h>

#include <memory>

namespace quelvo {
namespace {

using test::FakeCountdownView;
using test::FakeHintView;

std::vector<std::string> listOf(const std::string& one) // empty: none
{
    return one.empty() ? std::vector<std::string>{} : std::vector{one};
}

// The machine's events over a fake link, fake windows and notifications, at Monday 2026-12-07 09:41:20.
struct MachineEvents
{
    explicit MachineEvents(bool cancelAllowed = true)
    {
        presenter = std::make_unique<MachineEventsPresenter>(MachineEventsServices{
            .link = link,
            .clock = clock,
            .hint = hint,
            .notifier = notifier.get(),
            .makeCountdown = [this](CountdownKind kind, CountdownControls& c) { return windows(kind, c); },
            .showError = [this](const std::string& text) { errors.push_back(text); },
            .postponeMinutes = [] { return 20; },
            .cancelAllowed = cancelAllowed,
        });
        presenter->listen();
    }
    FakeCountdownView& window() { return *windows.built.back().second; }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            presenter->countdown().tick();
    }
    // A warning of a shutdown five minutes from now.
    MachineWarning warning() const
    {
        return {"Mon 09:46 shutdown", false, clock.wallNow() + std::chrono::minutes(5), "Quelvo",
                "This PC shuts down at 09:46"};
    }

    test::FakeClock clock{{2026, 12, 7, 9, 41, 20, 1}};
    test::FakeMachineLink link;
    std::unique_ptr<test::FakeNotifier> notifier = std::make_unique<test::FakeNotifier>();
    std::vector<std::unique_ptr<FakeHintView>> hintViews;
    HintPresenter hint{[this](HintPresenter&) {
        hintViews.push_back(std::make_unique<FakeHintView>());
        return hintViews.back().get();
    }};
    test::FakeCountdownFactory windows;
    std::vector<std::string> errors;
    std::unique_ptr<MachineEventsPresenter> presenter;
};

TEST(MachineEventsPresenter, WarningOffersTheChoicesAndPassesTheAnswerOn)
{
    const struct
    {
        const char* key;
        int secondsLater; // when the answer comes
        const char* refusal;
        const char* request; // empty: none made
        const char* error;
    } cases[] = {
        {"skip", 10, "", "skip", ""},
        {"skip", 10, "not allowed", "skip", "Sorry, the event could not be skipped: not allowed"},
        {"postpone", 10, "no firing", "postpone", "Sorry, the event could not be postponed: no firing"},
        {"clicked", 10, "", "", ""}, // the main window does not show the machine's schedule
        {"skip", 300, "", "", ""},   // the firing's time has come: its countdown takes the answers
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key) + " after " + std::to_string(c.secondsLater) + " s");
        MachineEvents m;
        m.link.refusal = c.refusal;
        m.link.events.warning(m.warning());
        ASSERT_EQ(m.notifier->shown,
                  (std::vector<std::string>{"This PC shuts down at 09:46 [postpone: Postpone 20 minutes] "
                                            "[skip: Skip this time]"}));
        m.clock.advanceSeconds(c.secondsLater);
        m.notifier->answer(c.key);
        EXPECT_EQ(m.link.requests, listOf(c.request));
        EXPECT_EQ(m.errors, listOf(c.error));
        EXPECT_TRUE(m.windows.built.empty());
    }
}

TEST(MachineEventsPresenter, WithoutNotificationsTheHintAsksUntilTheFiring)
{
    MachineEvents m;
    m.notifier->there = false;
    m.link.events.warning(m.warning());
    ASSERT_EQ(m.hintViews.size(), 1U);
    const FakeHintView& asked = *m.hintViews.back();
    EXPECT_EQ(asked.confirmation, "This PC shuts down at 09:46");
    EXPECT_EQ(asked.choices,
              (std::vector<HintChoice>{{"postpone", "Postpone 20 minutes"}, {"skip", "Skip this time"}}));
    EXPECT_EQ(asked.lifetimeMs, 5 * 60 * 1000);
    m.hint.choose("postpone");
    EXPECT_EQ(m.link.requests, (std::vector<std::string>{"postpone"}));

    // A warning heard after its firing's time still stays long enough to be read.
    MachineWarning late = m.warning();
    late.at = m.clock.wallNow() - std::chrono::seconds(3);
    m.link.events.warning(late);
    EXPECT_EQ(m.hintViews.back()->lifetimeMs, 2000);
}

TEST(MachineEventsPresenter, CountdownFollowsTheServiceAndNeverActsItself)
{
    MachineEvents m;
    m.link.events.warning(m.warning());
    m.link.events.countdownStarted({"Mon 09:46 reboot", true, 4});
    EXPECT_EQ(m.notifier->closed, 1); // the warning's choices would come too late
    ASSERT_EQ(m.windows.built.size(), 1U);
    EXPECT_EQ(m.windows.built.back().first, CountdownKind::Reboot);
    FakeCountdownView& w = m.window();
    EXPECT_EQ(w.seconds, "4");
    EXPECT_EQ(w.note, "Scheduled for this PC");
    EXPECT_EQ(w.postpone, "&Postpone 20 min");
    EXPECT_EQ(w.tickMs, 1000);
    EXPECT_EQ(w.shown, 1);
    m.ticks(4);
    EXPECT_EQ(w.seconds, "0");
    EXPECT_EQ(w.postpone, ""); // too late to put off
    // The service acts, not the window: it waits for the service's word, a few seconds at most.
    m.ticks(4);
    EXPECT_TRUE(w.open);
    m.ticks(1);
    EXPECT_FALSE(w.open);
    EXPECT_TRUE(m.link.requests.empty());
    EXPECT_TRUE(m.errors.empty());

    // Ended by the service (cancelled in another session, say): the window goes at once.
    m.link.events.countdownStarted({"Mon 09:46 shutdown", false, 10});
    m.ticks(2);
    m.link.events.countdownEnded("cancelled", "bob");
    EXPECT_FALSE(m.window().open);
    EXPECT_EQ(m.window().seconds, "8");
}

TEST(MachineEventsPresenter, CountdownPassesTheUsersAnswersToTheService)
{
    using Press = void (MachineCountdownPresenter::*)();
    const Press cancel = &MachineCountdownPresenter::cancel;
    const Press postpone = &MachineCountdownPresenter::postpone;
    const Press close = &MachineCountdownPresenter::closed; // the window's own close button
    const struct
    {
        Press press;
        int ticksBefore;
        const char* refusal;
        const char* request; // empty: none made
        bool stillOpen;
        const char* error;
    } cases[] = {
        {cancel, 2, "", "cancel", false, ""},
        {cancel, 2, "no", "cancel", true, "Sorry, the countdown could not be cancelled: no"},
        {postpone, 2, "", "postpone", false, ""},
        {postpone, 2, "no", "postpone", true, "Sorry, the countdown could not be postponed: no"},
        {postpone, 10, "", "", true, ""}, // at zero
        {close, 2, "", "cancel", false, ""},
        {close, 10, "", "", false, ""}, // at zero
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.request) + " " + c.refusal + " after " + std::to_string(c.ticksBefore));
        MachineEvents m;
        m.link.refusal = c.refusal;
        m.link.events.countdownStarted({"Mon 09:46 shutdown", false, 10});
        m.ticks(c.ticksBefore);
        MachineCountdownPresenter& countdown = m.presenter->countdown();
        (countdown.*c.press)();
        EXPECT_EQ(m.link.requests, listOf(c.request));
        EXPECT_EQ(countdown.isOpen(), c.stillOpen);
        EXPECT_EQ(m.window().open, c.stillOpen || c.press == close);
        EXPECT_EQ(m.errors, listOf(c.error));
        if (c.stillOpen && c.ticksBefore < 10) {
            m.ticks(1); // refused: the count goes on
            EXPECT_EQ(m.window().seconds, std::to_string(9 - c.ticksBefore));
        }
    }
}

TEST(MachineEventsPresenter, WhereNobodyMayCancelNeitherTheWarningNorTheCountdownOffersIt)
{
    MachineEvents m(false);
    m.link.events.warning(m.warning());
    EXPECT_EQ(m.notifier->shown,
              (std::vector<std::string>{"This PC shuts down at 09:46 [postpone: Postpone 20 minutes]"}));
    m.link.events.countdownStarted({"Mon 09:46 shutdown", false, 10});
    FakeCountdownView& w = m.window();
    EXPECT_FALSE(w.cancel);
    EXPECT_EQ(w.postpone, "&Postpone 20 min");
    // Allowed again: the open window shows the picture at once.
    m.presenter->setCancelAllowed(true);
    EXPECT_TRUE(w.cancel);
}

} // namespace
} // namespace quelvo
