#include "schedule/json_text.h"

#include <cstdio>

namespace quelvo {

namespace {

// The length of the well-formed UTF-8 sequence at the start of `text`; 0 when there is none.
std::size_t utf8Length(std::string_view text)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = at(0);
    std::size_t length = 0;
    unsigned char low = 0x80;  // the range of the first continuation byte, which rules out
    unsigned char high = 0xbf; // overlong forms, surrogates and code points past U+10FFFF
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        low = lead == 0xe0 ? 0xa0 : 0x80;
        high = lead == 0xed ? 0x9f : 0xbf;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        low = lead == 0xf0 ? 0x90 : 0x80;
        high = lead == 0xf4 ? 0x8f : 0xbf;
    }
    if (length == 0 || text.size() < length || at(1) < low || at(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if (at(i) < 0x80 || at(i) > 0xbf)
            return 0;
    }
    return length;
}

} // namespace

std::string jsonString(std::string_view text, JsonBytes bytes)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte >= 0x20 && byte < 0x7f) {
            out += c;
        } else if (const std::size_t n = bytes == JsonBytes::Utf8 && byte >= 0x80 ? utf8Length(text.substr(i)) : 0;
                   n > 0) {
            out.append(text.substr(i, n));
            i += n - 1;
        } else {
            // A byte in no known encoding stands for its Latin-1 character.
            char escaped[8];
            (void)std::snprintf(escaped, sizeof escaped, "\\u%04x", byte); // always fits
            out += escaped;
        }
    }
    return out + "\"";
}

} // namespace quelvo
