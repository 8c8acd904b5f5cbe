#include "platform/ini_text.h"

namespace quelvo {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool isControl(unsigned char c)
{
    return c < 0x20 || c == 0x7f;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::string_view trimIniBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::string iniEscape(std::string_view text, bool isName)
{
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (ch == '\\') {
            out += "\\\\";
        } else if (ch == '\n') {
            out += "\\n";
        } else if (ch == '\r') {
            out += "\\r";
        } else if (isControl(c) || (isName && std::string_view("=[]/ #;").find(ch) != std::string_view::npos)) {
            out += "\\x";
            out += kHexDigits[c >> 4];
            out += kHexDigits[c & 0xf];
        } else {
            out += ch;
        }
    }
    return out;
}

std::string iniUnescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[i + 1];
        if (next == '\\') {
            out += '\\';
            ++i;
        } else if (next == 'n') {
            out += '\n';
            ++i;
        } else if (next == 'r') {
            out += '\r';
            ++i;
        } else if (next == 'x' && i + 3 < text.size() && hexValue(text[i + 2]) >= 0 && hexValue(text[i + 3]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 2]) * 16 + hexValue(text[i + 3]));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<IniLine> iniLines(std::string_view text)
{
    std::vector<IniLine> lines;
    std::size_t number = 0;
    while (!text.empty()) {
        const auto end = text.find_first_of("\r\n");
        const std::string_view line = text.substr(0, end);
        // CR LF is one line end, so that line numbers match what an editor shows.
        std::size_t taken = end == std::string_view::npos ? text.size() : end + 1;
        if (end != std::string_view::npos && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            ++taken;
        text.remove_prefix(taken);
        ++number;

        const std::string_view trimmed = trimIniBlanks(line);
        if (trimmed.empty() || trimmed.front() == '#' || trimmed.front() == ';')
            continue;
        if (trimmed.front() == '[') {
            if (trimmed.size() < 2 || trimmed.back() != ']') {
                lines.push_back({IniLineKind::BadHeader, number, std::string(trimmed), {}});
                continue;
            }
            lines.push_back(
                {IniLineKind::Section, number, std::string(trimIniBlanks(trimmed.substr(1, trimmed.size() - 2))), {}});
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) {
            lines.push_back({IniLineKind::Garbled, number, std::string(trimmed), {}});
            continue;
        }
        // Blanks around the key are layout; the value runs untrimmed to the line end.
        lines.push_back({IniLineKind::Value, number, iniUnescape(trimIniBlanks(line.substr(0, eq))),
                         iniUnescape(line.substr(eq + 1))});
    }
    return lines;
}

} // namespace quelvo
