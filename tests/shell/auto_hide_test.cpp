#include "shell/auto_hide.h"

#include "fakes/fake_settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quelvo {
namespace {

using test::FakeSettings;

class FakeWindow final : public AutoHideHost
{
public:
    [[nodiscard]] bool windowIsNormal() const override { return normal; }
    bool hideToTray() override
    {
        log.push_back("hide");
        if (!trayThere)
            return false;
        normal = false;
        return true;
    }
    void openHint() override { log.push_back("hint"); }

    bool normal = true;
    bool trayThere = true;
    std::vector<std::string> log;
};

struct AutoHideRig
{
    FakeSettings settings;
    FakeWindow window;
    AutoHide autoHide{window, settings};
};

TEST(AutoHide, HidesAWindowLeftHiddenOnceAndCountsTheHint)
{
    struct Case
    {
        const char* note;
        const char* hide;
        bool normal;
        const char* runsBefore; // nullptr: never written
        std::vector<std::string> log;
        const char* runsAfter;
    };
    const Case cases[] = {
        {"first time ever", "1", true, nullptr, {"hide", "hint"}, "1"},
        {"fourth time still hints", "1", true, "3", {"hide", "hint"}, "4"},
        {"fifth time is silent", "1", true, "4", {"hide"}, "5"},
        {"window started minimised or maximised", "1", false, "3", {}, "3"},
        {"window left shown", "0", true, "3", {}, "3"},
        {"only exactly \"1\" counts", "True", true, "3", {}, "3"},
    };
    for (const auto& c : cases) {
        AutoHideRig rig;
        EXPECT_TRUE(rig.settings.save("hide", c.hide).ok());
        if (c.runsBefore) {
            EXPECT_TRUE(rig.settings.SaveSetting("Quelvo", "data", "runs1", c.runsBefore).ok());
        }
        rig.window.normal = c.normal;
        rig.autoHide.check();
        EXPECT_EQ(rig.window.log, c.log) << c.note;
        EXPECT_EQ(rig.settings.get("runs1", "0"), c.runsAfter) << c.note;
        EXPECT_EQ(rig.autoHide.autohidden(), !c.log.empty()) << c.note;
    }
}

TEST(AutoHide, WindowThatCannotHideNeitherCountsNorHints)
{
    AutoHideRig rig;
    EXPECT_TRUE(rig.settings.save("hide", "1").ok());
    rig.window.trayThere = false;
    rig.autoHide.check();
    rig.autoHide.check();
    EXPECT_EQ(rig.window.log, std::vector<std::string>{"hide"}); // tried once per run, like a real hide
    EXPECT_EQ(rig.settings.get("runs1", "none"), "none");
}

TEST(AutoHide, WaitsUntilTheTrayShowsTheWindowAgain)
{
    AutoHideRig rig;
    EXPECT_TRUE(rig.settings.save("hide", "1").ok());
    rig.autoHide.check();
    rig.window.normal = true; // shown by some other way than the tray commands
    rig.autoHide.check();
    EXPECT_EQ(std::count(rig.window.log.begin(), rig.window.log.end(), "hide"), 1);

    rig.autoHide.setAutohidden(false); // the tray's show command
    rig.autoHide.check();
    EXPECT_EQ(std::count(rig.window.log.begin(), rig.window.log.end(), "hide"), 2);
}

TEST(AutoHide, HideCountReadsBadValuesAsZeroAndStopsAtTheTop)
{
    struct Case
    {
        const char* before;
        const char* after;
        bool hint;
    };
    const Case cases[] = {
        {"abc", "1", true},        {"", "1", true},           {"2.5", "1", true},        {" 2 ", "3", true},
        {"32766", "32767", false}, {"32767", "32767", false}, {"99999", "32767", false}, {"-7", "-6", true},
    };
    for (const auto& c : cases) {
        FakeSettings settings;
        EXPECT_TRUE(settings.SaveSetting("Quelvo", "data", "runs1", c.before).ok());
        EXPECT_EQ(countHideToTray(settings), c.hint) << c.before;
        EXPECT_EQ(settings.get("RUNS1", "x"), c.after) << c.before; // the store folds names
    }
}

} // namespace
} // namespace quelvo
