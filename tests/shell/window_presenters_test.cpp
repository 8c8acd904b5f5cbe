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
        if (c.pause)
            settings.save("pause", c.pause);
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

} // namespace
} // namespace quelvo
