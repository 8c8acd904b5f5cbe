#include "shell/window_position.h"

#include <charconv>
#include <cmath>

namespace quelvo {

double twipsPerPixel(double logicalDpi)
{
    return logicalDpi > 0 ? 1440.0 / logicalDpi : 15.0;
}

int twipsToPixels(double twips, double logicalDpi)
{
    return static_cast<int>(std::lround(twips * logicalDpi / 1440.0));
}

std::optional<float> parseTwips(std::string_view text)
{
    // Blanks around the number are allowed, as the stored texts may have been edited by hand.
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    float value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string formatTwips(float twips)
{
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, twips);
    return ec == std::errc{} ? std::string(buffer, end) : std::string("0");
}

namespace {

bool overlaps(const PixelRect& a, const PixelRect& b)
{
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

int toPixels(float twips, double perPixel)
{
    return static_cast<int>(std::lround(twips / perPixel));
}

} // namespace

PixelRect placeWindow(std::string_view storedX, std::string_view storedY, PixelRect design, double logicalDpi,
                      const std::vector<PixelRect>& screens)
{
    const double perPixel = twipsPerPixel(logicalDpi);
    PixelRect placed = design;
    if (const auto x = parseTwips(storedX))
        placed.left = toPixels(*x, perPixel);
    if (const auto y = parseTwips(storedY))
        placed.top = toPixels(*y, perPixel);

    if (screens.empty())
        return placed;
    for (const auto& screen : screens) {
        if (overlaps(placed, screen))
            return placed;
    }
    placed.left = toPixels(kDefaultLeftTwips, perPixel);
    placed.top = toPixels(kDefaultTopTwips, perPixel);
    return placed;
}

} // namespace quelvo
