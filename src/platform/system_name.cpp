#include "platform/system_name.h"

namespace quelvo {

std::string osReleasePrettyName(std::string_view text)
{
    constexpr std::string_view kKey = "PRETTY_NAME=";
    std::string name;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view value = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!value.starts_with(kKey))
            continue;
        value.remove_prefix(kKey.size());
        while (!value.empty() && (value.back() == '\r' || value.back() == ' ' || value.back() == '\t'))
            value.remove_suffix(1);
        const char quote = value.size() >= 2 && value.front() == value.back() ? value.front() : '\0';
        if (quote != '"' && quote != '\'') {
            name = value;
            continue;
        }
        // The file is shell-compatible: inside double quotes a backslash takes the next character as it is.
        name.clear();
        for (std::size_t i = 1; i + 1 < value.size(); ++i) {
            if (quote == '"' && value[i] == '\\' && i + 2 < value.size())
                ++i;
            name += value[i];
        }
    }
    return name;
}

std::string windowsReleaseName(const WindowsRelease& release)
{
    if (release.major == 10 && release.minor == 0)
        return release.build >= 22000 ? "Windows 11" : "Windows 10";
    if (release.major != 6)
        return {};
    switch (release.minor) {
    case 0:
        return "Windows Vista";
    case 1:
        return "Windows 7";
    case 2:
        return "Windows 8";
    case 3:
        return "Windows 8.1";
    default:
        return {};
    }
}

} // namespace quelvo
