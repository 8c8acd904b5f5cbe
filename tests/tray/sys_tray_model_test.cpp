#include "tray/sys_tray_model.h"
#include "tray/tray_commands.h"

#include "fakes/fake_notify_icon.h"

#include <gtest/gtest.h>

#include <memory>

namespace quelvo {
namespace {

using test::FakeNotifyIcon;
using Op = FakeNotifyIcon::Op;

constexpr std::uint32_t kBuiltIn = 7;

std::vector<std::pair<std::string, std::string>> captionsAndKeys(const SysTrayModel& tray)
{
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& item : tray.items())
        out.emplace_back(item.caption, item.key);
    return out;
}

void addFive(SysTrayModel& tray)
{
    for (int i = 0; i < 5; ++i)
        tray.AddMenuItem("c" + std::to_string(i), "k" + std::to_string(i), false);
}

TEST(SysTrayModel, IconComesWithTheModelAndGoesWithIt)
{
    FakeNotifyIcon port;
    {
        SysTrayModel tray(port, kBuiltIn, "quelvo");
        ASSERT_EQ(port.requests.size(), 1U);
        EXPECT_EQ(port.requests[0].op, Op::Add);
        EXPECT_EQ(port.requests[0].flags, kNotifyMessage | kNotifyIcon | kNotifyTip);
        EXPECT_EQ(port.requests[0].icon, kBuiltIn);
        EXPECT_EQ(port.requests[0].tip, "quelvo");
        EXPECT_EQ(tray.data().identifier, kBuiltIn);
        EXPECT_EQ(tray.data().callbackMessage, 512U);
        EXPECT_FALSE(tray.menuStarted());
        EXPECT_EQ(tray.DefaultMenuIndex(), 0);
    }
    ASSERT_EQ(port.requests.size(), 2U);
    EXPECT_EQ(port.requests[1].op, Op::Remove);
}

TEST(SysTrayModel, AddingNumbersItemsFromZeroAndMovesTheDefault)
{
    FakeNotifyIcon port;
    SysTrayModel tray(port, kBuiltIn, "quelvo");
    EXPECT_EQ(tray.AddMenuItem("&Show main window", "show", false), 0);
    EXPECT_EQ(tray.DefaultMenuIndex(), 0); // the first item is the default when none asks for it
    EXPECT_EQ(tray.AddMenuItem("-", "", false), 1);
    EXPECT_EQ(tray.AddMenuItem("&Exit", "exit", true), 2);
    EXPECT_EQ(tray.DefaultMenuIndex(), 2);
    EXPECT_EQ(tray.AddMenuItem("x", "y", false), 3);
    EXPECT_EQ(tray.DefaultMenuIndex(), 2);
    EXPECT_TRUE(tray.items()[1].isSeparator());
    for (const auto& item : tray.items())
        EXPECT_TRUE(item.visible && item.enabled);
}

TEST(SysTrayModel, RemovingMovesLaterCaptionsAndKeysDown)
{
    FakeNotifyIcon port;
    SysTrayModel tray(port, kBuiltIn, "quelvo");
    addFive(tray);
    tray.EnableMenuItem(3, false);
    EXPECT_EQ(tray.RemoveMenuItem(2), 0);
    using P = std::pair<std::string, std::string>;
    EXPECT_EQ(captionsAndKeys(tray), (std::vector<P>{{"c0", "k0"}, {"c1", "k1"}, {"c3", "k3"}, {"c4", "k4"}}));
    // States stay with their positions: the disabled position 3 now holds the former item 4.
    EXPECT_FALSE(tray.items()[3].enabled);
    EXPECT_TRUE(tray.items()[2].enabled);
    EXPECT_EQ(tray.AddMenuItem("c5", "k5", false), 4);
}

TEST(SysTrayModel, ItemZeroIsNeverRemoved)
{
    FakeNotifyIcon port;
    SysTrayModel tray(port, kBuiltIn, "quelvo");
    addFive(tray);
    tray.RemoveMenuItem(0);
    ASSERT_EQ(tray.items().size(), 5U);
    EXPECT_EQ(tray.items()[0].caption, "");
    EXPECT_EQ(tray.items()[0].key, "k0");
    EXPECT_EQ(tray.AddMenuItem("c5", "k5", false), 5); // still appends at the end

    // Removing the only item before any was added leaves the menu unstarted.
    SysTrayModel fresh(port, kBuiltIn, "quelvo");
    fresh.RemoveMenuItem(0);
    EXPECT_FALSE(fresh.menuStarted());
    EXPECT_EQ(fresh.AddMenuItem("a", "b", false), 0);
}

TEST(SysTrayModel, InvalidIndexesAreIgnoredOrBecomeZero)
{
    FakeNotifyIcon port;
    SysTrayModel tray(port, kBuiltIn, "quelvo");
    addFive(tray);
    for (const int bad : {-1, 5, 99}) {
        EXPECT_FALSE(tray.IsValidMenuIndex(bad));
        tray.EnableMenuItem(bad, false);
        tray.RemoveMenuItem(bad);
    }
    EXPECT_EQ(tray.items().size(), 5U);
    for (const auto& item : tray.items())
        EXPECT_TRUE(item.enabled);

    tray.setDefaultMenuIndex(3);
    EXPECT_EQ(tray.DefaultMenuIndex(), 3);
    tray.setDefaultMenuIndex(99);
    EXPECT_EQ(tray.DefaultMenuIndex(), 0);
    tray.setDefaultMenuIndex(-1);
    EXPECT_EQ(tray.DefaultMenuIndex(), 0);

    // Removing items past the default leaves it naming an existing item.
    tray.setDefaultMenuIndex(4);
    tray.RemoveMenuItem(1);
    EXPECT_TRUE(tray.IsValidMenuIndex(tray.DefaultMenuIndex()));
}

TEST(SysTrayModel, TipKeepsAtMostSixtyThreeCharacters)
{
    FakeNotifyIcon port;
    SysTrayModel tray(port, kBuiltIn, "quelvo");
    tray.setToolTip("abc");
    EXPECT_EQ(tray.ToolTip(), "abc");
    ASSERT_EQ(port.requests.back().op, Op::Modify);
    EXPECT_EQ(port.requests.back().flags, kNotifyTip);
    EXPECT_EQ(port.requests.back().tip, "abc");

    const std::string seventy(70, 'x');
    tray.setToolTip(seventy);
    EXPECT_EQ(tray.ToolTip(), std::string(63, 'x'));
    EXPECT_EQ(tray.data().tip[63], '\0');

    // A shorter tip after a longer one leaves nothing of the old text behind.
    tray.setToolTip("ok");
    EXPECT_EQ(tray.ToolTip(), "ok");

    // A tip is never cut inside a character: 62 ASCII then a two-byte letter.
    tray.setToolTip(std::string(62, 'a') + "\xC3\xA9" + "z");
    EXPECT_EQ(tray.ToolTip(), std::string(62, 'a'));

    // The field ends at its first NUL, like any text in it.
    tray.setToolTip(std::string("ab\0cd", 5));
    EXPECT_EQ(tray.ToolTip(), "ab");
}

TEST(SysTrayModel, SameIconSendsNothing)
{
    FakeNotifyIcon port;
    SysTrayModel tray(port, kBuiltIn, "quelvo");
    tray.setIconHandle(kBuiltIn);
    EXPECT_EQ(port.requests.size(), 1U);
    tray.setIconHandle(9);
    ASSERT_EQ(port.requests.size(), 2U);
    EXPECT_EQ(port.requests[1].flags, kNotifyIcon);
    EXPECT_EQ(port.requests[1].icon, 9U);
    EXPECT_EQ(tray.IconHandle(), 9U);
    tray.setIconHandle(9);
    EXPECT_EQ(port.requests.size(), 2U);
}

TEST(TrayNotification, DecodesCodesAtBothScalesAndFallsBackOnButtons)
{
    using K = TrayEventKind;
    struct Case
    {
        std::int64_t x;
        int buttons;
        TrayEvent expected;
    };
    const Case cases[] = {
        {512 * 15, 0, {K::MouseMove, 0}},
        {513 * 15, 0, {K::MouseDown, 1}},
        {514 * 15, 0, {K::MouseUp, 1}},
        {515 * 15, 0, {K::DoubleClick, 1}},
        {516 * 15, 0, {K::MouseDown, 2}},
        {517 * 15, 0, {K::MouseUp, 2}},
        {518 * 15, 0, {K::DoubleClick, 2}},
        {512 * 12, 1, {K::MouseMove, 0}},
        {513 * 12, 2, {K::MouseDown, 1}},
        {514 * 12, 0, {K::MouseUp, 1}},
        {515 * 12, 0, {K::DoubleClick, 1}},
        {516 * 12, 0, {K::MouseDown, 2}},
        {517 * 12, 3, {K::MouseUp, 2}},
        {518 * 12, 0, {K::DoubleClick, 2}},
        // The code itself (one twip per pixel) or neighbours are not codes: the buttons decide.
        {513, 0, {K::MouseMove, 0}},
        {513 * 15 + 1, 1, {K::DoubleClick, 1}},
        {519 * 15, 2, {K::MouseDown, 2}},
        {0, 3, {}},
        {-1, 4, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decodeTrayNotification(c.x, c.buttons), c.expected) << c.x << " " << c.buttons;
    // The notification area's own report: the mouse message as it is, nothing else.
    EXPECT_EQ(decodeTrayMouseMessage(518), (TrayEvent{K::DoubleClick, 2}));
    EXPECT_EQ(decodeTrayMouseMessage(516), (TrayEvent{K::MouseDown, 2}));
    EXPECT_EQ(decodeTrayMouseMessage(516 * 15), TrayEvent{});
    EXPECT_EQ(decodeTrayMouseMessage(0x0400), TrayEvent{});
}

// The menu in full, and the one place it is written out: captions, order, separators and the
// default item ("*"). Other tests find items by caption and check what choosing them does.
TEST(TrayMenu, CaptionsOrderSeparatorsAndDefault)
{
    FakeNotifyIcon port;
    SysTrayModel tray(port, kBuiltIn, "quelvo");
    fillTrayMenu(tray);
    EXPECT_EQ(trayMenuSummary(tray.items(), tray.DefaultMenuIndex()),
              "&Show main window|-|&Shut down PC now!|&Forced Shut down now!|-|&Re Boot PC now!|-|&Set new event|-|"
              "&Delete an event|-|ShutDown in 5 minutes|ShutDown in 15 minutes|ShutDown in 30 minutes|"
              "ShutDown in 60 minutes|-|ReBoot in 5 minutes|ReBoot in 15 minutes|ReBoot in 30 minutes|"
              "ReBoot in 60 minutes|-|&About Quelvo!|-|*&Exit");
}

TEST(TrayMenuSummary, ShowsWhatTheMenuShows)
{
    struct Case
    {
        const char* what;
        std::vector<TrayMenuItem> items;
        int defaultIndex;
        const char* expected;
    };
    const Case cases[] = {
        {"hidden items are left out, a disabled one stays",
         {{"&Show", "show", true}, {"&Gone", "gone", false}, {"&Grey", "grey", true, false}},
         0,
         "*&Show|&Grey"},
        {"a separator is never the default", {{"a", "a", true}, {"-", "", true}, {"b", "b", true}}, 1, "a|-|b"},
        {"no default outside the items", {{"a", "a", true}, {"b", "b", true}}, 5, "a|b"},
        {"a removed first caption still counts", {{"", "x", true}, {"b", "b", true}}, 1, "|*b"},
        {"the hidden default marks nothing", {{"a", "a", false}, {"b", "b", true}}, 0, "b"},
        {"no items", {}, 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(trayMenuSummary(c.items, c.defaultIndex), c.expected) << c.what;
}

} // namespace
} // namespace quelvo
