#include "shell/window_position.h"

#include <gtest/gtest.h>

#include <tuple>

namespace quelvo {
namespace {

const std::vector<PixelRect> kOneScreen = {{0, 0, 1920, 1080}};

TEST(WindowPosition, StoredTwipsBecomePixelsAtTheScreensDpi)
{
    EXPECT_DOUBLE_EQ(twipsPerPixel(96), 15);
    EXPECT_DOUBLE_EQ(twipsPerPixel(144), 10);

    const PixelRect design{10, 20, 500, 400};
    const PixelRect at96 = placeWindow("1500", "3000", design, 96, kOneScreen);
    EXPECT_EQ(at96.left, 100);
    EXPECT_EQ(at96.top, 200);
    EXPECT_EQ(at96.width, 500);
    const PixelRect at144 = placeWindow("1500", "3000", design, 144, kOneScreen);
    EXPECT_EQ(at144.left, 150);
    EXPECT_EQ(at144.top, 300);
}

TEST(WindowPosition, UnreadableEdgesKeepTheDesignPlace)
{
    const PixelRect design{10, 20, 500, 400};
    const PixelRect p = placeWindow("left", "3000", design, 96, kOneScreen);
    EXPECT_EQ(p.left, 10);
    EXPECT_EQ(p.top, 200);
    const PixelRect q = placeWindow("", "1e999", design, 96, kOneScreen);
    EXPECT_EQ(q.left, 10);
    EXPECT_EQ(q.top, 20);
}

TEST(WindowPosition, WindowWhollyOffEveryScreenGoesToTheDefaults)
{
    const PixelRect design{0, 0, 500, 400};
    const std::vector<PixelRect> twoScreens = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    // On the second screen: stays.
    EXPECT_EQ(placeWindow("30000", "150", design, 96, twoScreens).left, 2000);
    // Partly visible at the left edge: stays.
    EXPECT_EQ(placeWindow("-3000", "150", design, 96, twoScreens).left, -200);
    // Beyond every screen (a monitor that was unplugged): the default place, 50 and 200 twips.
    const PixelRect lost = placeWindow("60000", "60000", design, 96, twoScreens);
    EXPECT_EQ(lost.left, 3);
    EXPECT_EQ(lost.top, 13);

    // Touching a screen's edge from outside is off it; one pixel in, the window stays (500 x 400 on 1920 x 1080).
    const std::tuple<const char*, const char*, bool> edges[] = {
        {"28800", "150", false}, {"28785", "150", true}, {"-7500", "150", false}, {"-7485", "150", true},
        {"150", "16200", false}, {"150", "16185", true}, {"150", "-6000", false}, {"150", "-5985", true},
    };
    for (const auto& [x, y, stays] : edges)
        EXPECT_EQ(placeWindow(x, y, design, 96, kOneScreen).left != 3, stays) << x << ',' << y;
}

TEST(WindowPosition, FormatsTheShortestTextThatReadsBack)
{
    EXPECT_EQ(formatTwips(1500), "1500");
    EXPECT_EQ(formatTwips(-45), "-45");
    EXPECT_EQ(formatTwips(1500.5f), "1500.5");
    for (const float v : {0.1f, 12345.678f, -7.25f, 3e7f})
        EXPECT_EQ(parseTwips(formatTwips(v)), v);
    EXPECT_EQ(parseTwips(" 1500 "), 1500.0f);
    EXPECT_FALSE(parseTwips("15 00").has_value());
    EXPECT_FALSE(parseTwips("nan").has_value());
}

} // namespace
} // namespace quelvo
