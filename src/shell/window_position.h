#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo {

/// Where the main window stands when nothing (readable) is stored, in twips.
inline constexpr float kDefaultLeftTwips = 50;
inline constexpr float kDefaultTopTwips = 200;

/// A rectangle in device-independent pixels.
struct PixelRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

/// Twips per pixel at a logical dpi (15 at 96 dpi, 10 at 144 dpi).
double twipsPerPixel(double logicalDpi);

/// Pixels for a length in twips at a logical dpi, rounded to the nearest.
int twipsToPixels(double twips, double logicalDpi);

/// A stored coordinate as a number; nullopt when the text is not a number.
std::optional<float> parseTwips(std::string_view text);

/// A coordinate as the shortest decimal text that reads back to the same single-precision number.
std::string formatTwips(float twips);

/// The window's top-left corner in pixels from the stored texts. An edge whose text is no
/// number stays at `designLeft`/`designTop`; a window that would lie wholly outside every
/// screen goes to the default place instead.
PixelRect placeWindow(std::string_view storedX, std::string_view storedY, PixelRect design, double logicalDpi,
                      const std::vector<PixelRect>& screens);

} // namespace quelvo
