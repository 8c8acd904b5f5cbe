#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo {

/// What one line of an INI-like text holds.
enum class IniLineKind {
    Section,   // "[name]": `name` is the text between the brackets, blanks trimmed, not yet unescaped
    BadHeader, // a line that opens a section but does not close it
    Value,     // "key=value": `name` is the key (unescaped, blanks trimmed), `value` the rest of the line (unescaped)
    Garbled,   // anything else that is neither blank nor a comment
};

/// One line of an INI-like text that is neither blank nor a comment, numbered from 1.
struct IniLine
{
    IniLineKind kind = IniLineKind::Garbled;
    std::size_t number = 0;
    std::string name;
    std::string value;
};

/// The lines of the settings file's syntax: CR LF, LF or a lone CR end a line; lines whose first
/// non-blank byte is '#' or ';' are comments. Shared by every reader of that syntax.
std::vector<IniLine> iniLines(std::string_view text);

/// The text with the settings file's escapes ("\\", "\n", "\r", "\xHH") undone; a malformed escape
/// is kept as it stands, so that a hand-edited file never stops a read.
std::string iniUnescape(std::string_view text);

/// The escaped form of a name (`isName`: also the bytes that structure a file, and blanks) or a value.
std::string iniEscape(std::string_view text, bool isName);

/// The text without blanks (spaces and tabs) at either end.
std::string_view trimIniBlanks(std::string_view text);

} // namespace quelvo
