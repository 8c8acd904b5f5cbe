#include "platform/linux/autostart_entry.h"

namespace quelvo {

namespace {

constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

// The escapes of a desktop entry's string values.
std::string escapeValue(std::string_view text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string unescapeValue(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            out += text[i];
        }
    }
    return out;
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

} // namespace

std::string quoteExecArgument(std::string_view path)
{
    std::string arg;
    const bool quote = path.empty() || path.find_first_of(kReserved) != std::string_view::npos;
    if (quote)
        arg += '"';
    for (char c : path) {
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\'))
            arg += '\\';
        if (c == '%')
            arg += '%'; // a literal percent sign is written twice
        arg += c;
    }
    if (quote)
        arg += '"';
    return arg;
}

std::string composeAutostartEntry(std::string_view command, std::string_view program)
{
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=Quelvo\n"
                       "Comment=Shuts the computer down or restarts it at the times you chose\n"
                       "Icon=quelvo\n"
                       "Terminal=false\n"
                       "X-GNOME-Autostart-enabled=";
    text += command.empty() ? "false\n" : "true\n";
    text += "Exec=" + escapeValue(command) + "\n";
    if (!command.empty() && !program.empty())
        text += "TryExec=" + escapeValue(program) + "\n";
    if (command.empty())
        text += "Hidden=true\n";
    return text;
}

std::string autostartCommand(std::string_view entryText)
{
    bool inMainGroup = false;
    bool hidden = false;
    bool gnomeOff = false; // GNOME's own switch for the entry
    std::string exec;
    while (!entryText.empty()) {
        const auto end = entryText.find('\n');
        const std::string_view line = trim(entryText.substr(0, end));
        entryText.remove_prefix(end == std::string_view::npos ? entryText.size() : end + 1);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        const auto eq = line.find('=');
        if (!inMainGroup || eq == std::string_view::npos)
            continue;
        const std::string_view key = trim(line.substr(0, eq));
        const std::string_view value = trim(line.substr(eq + 1));
        if (key == "Exec")
            exec = unescapeValue(value);
        else if (key == "Hidden")
            hidden = value == "true";
        else if (key == "X-GNOME-Autostart-enabled")
            gnomeOff = value == "false";
    }
    return hidden || gnomeOff ? std::string() : exec;
}

} // namespace quelvo
