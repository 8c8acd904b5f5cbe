#pragma once

#include <string>
#include <string_view>

namespace quelvo {

/// How bytes outside printable ASCII are written into a JSON string.
enum class JsonBytes {
    Latin1, // every such byte becomes the \u escape of its Latin-1 reading
    Utf8,   // valid UTF-8 stays as it is; a stray byte is escaped as in Latin1
};

/// `text` as a JSON string in quotes: quote and backslash escaped, control characters (and DEL) as
/// \u00XX, the rest as `bytes` says.
std::string jsonString(std::string_view text, JsonBytes bytes = JsonBytes::Latin1);

} // namespace quelvo
