#include "shell/hint_presenter.h"
#include "shell/splash_presenter.h"

#include "fakes/fake_settings.h"
#include "fakes/fake_views.h"

#include <gtest/gtest.h>

namespace quelvo {
namespace {

using test::FakeHintView;
using test::FakeSettings;

struct FakeSplashView final : SplashView
{
    void startTicking(int ms) override { timers.push_back(ms); }
    void stopTicking() override { timers.push_back(0); }
    std::vector<int> timers; // each start's interval, 0 for a stop
};

TEST(SplashPresenter, WaitsTwentySecondsOnlyWhenPauseIsExactlyTrue)
{
    struct Case
    {
        const char* pause; // nullptr: not stored
        std::vector<int> timers;
    };
    const Case cases[] = {
        {"True", {500, 0, 20000, 0}},
        {"true", {500, 0}},
        {nullptr, {500, 0}},
    };
    for (const Case& c : cases) {
        FakeSettings settings;
        if (c.pause) {
            EXPECT_TRUE(settings.save("pause", c.pause).ok());
        }
        FakeSplashView view;
        int opened = 0;
        SplashPresenter splash(settings, view, [&] { ++opened; });
        splash.load();
        EXPECT_TRUE(splash.mayClose());
        splash.tick();
        EXPECT_EQ(opened, c.timers.size() == 2 ? 1 : 0);
        // Closing the splash while it waits would lose the main window.
        EXPECT_EQ(splash.mayClose(), opened == 1);
        splash.tick();
        splash.tick(); // the work is done once
        EXPECT_EQ(opened, 1);
        EXPECT_TRUE(splash.mayClose());
        EXPECT_EQ(view.timers, c.timers) << (c.pause ? c.pause : "missing");
    }
}

TEST(HintPresenter, OneHintClosesTwoSecondsAfterItOpened)
{
    std::vector<std::unique_ptr<FakeHintView>> views;
    HintPresenter hint([&](HintPresenter&) {
        views.push_back(std::make_unique<FakeHintView>());
        return views.back().get();
    });
    hint.open();
    hint.confirm("This computer will ReBoot in 5 minutes"); // the open hint is reused, its timer not restarted
    ASSERT_EQ(views.size(), 1U);
    EXPECT_EQ(views[0]->lifetimeMs, 2000);
    EXPECT_EQ(views[0]->confirmation, "This computer will ReBoot in 5 minutes");
    hint.elapsed();
    EXPECT_FALSE(views[0]->open);
    EXPECT_FALSE(hint.isOpen());
}

TEST(HintPresenter, AQuestionReplacesTheOpenHintStaysItsTimeAndAnswersOnce)
{
    std::vector<std::unique_ptr<FakeHintView>> views;
    HintPresenter hint([&](HintPresenter&) {
        views.push_back(std::make_unique<FakeHintView>());
        return views.back().get();
    });
    std::vector<std::string> answers;
    const auto ask = [&] {
        hint.ask("Shut down at 22:00?", {{"postpone", "Postpone"}, {"skip", "Skip"}}, 300000,
                 [&](std::string_view key) { answers.emplace_back(key); });
    };
    hint.open();
    ask();
    ASSERT_EQ(views.size(), 2U);
    EXPECT_FALSE(views[0]->open); // the start-up hint's timer would otherwise close the question early
    EXPECT_EQ(views[1]->lifetimeMs, 300000);
    EXPECT_EQ(views[1]->choices, (std::vector<HintChoice>{{"postpone", "Postpone"}, {"skip", "Skip"}}));
    hint.choose("skip");
    hint.choose("postpone"); // a late second press finds the question gone
    EXPECT_EQ(answers, std::vector<std::string>{"skip"});
    EXPECT_FALSE(views[1]->open);

    ask();
    hint.elapsed(); // unanswered in its time
    hint.choose("skip");
    ask();
    hint.closed(); // closed by the window system
    hint.choose("skip");
    hint.confirm("This computer will ReBoot in 5 minutes"); // a hint without choices answers nothing
    hint.choose("skip");
    EXPECT_EQ(answers, std::vector<std::string>{"skip"});
}

TEST(HintPresenter, GeometryFollowsTheDesignAndTheMeasuredText)
{
    const auto text = [](const HintGeometry& g) {
        const PixelRect& l = g.label;
        return std::to_string(g.width) + "x" + std::to_string(g.height) + " label " + std::to_string(l.left) + "," +
               std::to_string(l.top) + " " + std::to_string(l.width) + "x" + std::to_string(l.height) + " icon " +
               std::to_string(g.iconLeft) + "," + std::to_string(g.iconTop) + " " + std::to_string(g.iconSide);
    };
    const struct
    {
        double dpi;
        HintTextSizes sizes; // text, before the gap, gap, line
        int border;
        const char* expected;
    } cases[] = {
        {96, {400, 100, 40, 15}, 0, "502x34 label 5,8 492x17 icon 109,1 32"},
        {96, {600, 100, 40, 15}, 0, "610x34 label 5,8 600x17 icon 109,1 32"},   // a longer text widens it
        {144, {400, 100, 40, 30}, 0, "753x51 label 7,10 739x30 icon 103,1 48"}, // a tall font lifts the label
        {144, {400, 100, 40, 30}, 1, "753x51 label 7,10 739x30 icon 103,0 48"}, // centred in the client area
    };
    for (const auto& c : cases)
        EXPECT_EQ(text(hintGeometry(c.sizes, c.dpi, c.border)), c.expected) << c.dpi << " " << c.sizes.text;

    // Buttons under the text: right-aligned in a 502-pixel strip, which widens where they do not fit.
    const auto row = [](int width, const std::vector<int>& widths) {
        HintGeometry g;
        g.width = width;
        g.height = 34;
        const HintButtonRow r = hintButtonRow(g, widths, 24, 6);
        std::string s = std::to_string(r.width) + "x" + std::to_string(r.height);
        for (const PixelRect& b : r.buttons)
            s += " " + std::to_string(b.left) + "," + std::to_string(b.top) + " " + std::to_string(b.width) + "x" +
                 std::to_string(b.height);
        return s;
    };
    EXPECT_EQ(row(502, {130, 100}), "502x64 260,34 130x24 396,34 100x24");
    EXPECT_EQ(row(200, {130, 100}), "248x64 6,34 130x24 142,34 100x24");
}

} // namespace
} // namespace quelvo
