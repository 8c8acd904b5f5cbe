// The autostart entry reader: any entry text is read without harm, and a program path stored
// through the entry comes back as the Exec value a desktop starts it with.
#include "fakes/fake_file_system.h"
#include "fuzz_input.h"
#include "platform/linux/autostart_entry.h"
#include "platform/linux/desktop_autostart.h"

#include <optional>

using namespace quelvo;

namespace {

// What a desktop makes of an Exec value that holds one argument: a quoted argument loses its
// quotes and the backslashes before " ` $ \, and a doubled percent sign stands for one.
std::optional<std::string> execArgument(std::string_view exec)
{
    std::string arg;
    const bool quoted = exec.size() >= 2 && exec.front() == '"' && exec.back() == '"';
    if (quoted)
        exec = exec.substr(1, exec.size() - 2);
    for (std::size_t i = 0; i < exec.size(); ++i) {
        char c = exec[i];
        if (quoted && c == '\\') {
            if (++i == exec.size() || std::string_view("\"`$\\").find(exec[i]) == std::string_view::npos)
                return std::nullopt;
            c = exec[i];
        } else if (c == '%') {
            if (++i == exec.size() || exec[i] != '%')
                return std::nullopt;
        } else if (quoted && (c == '"' || c == '`' || c == '$')) {
            return std::nullopt;
        }
        arg += c;
    }
    return arg;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    (void)autostartCommand(text);

    // The same bytes as a program path (a path holds no NUL).
    const std::string path = text.substr(0, text.find('\0'));
    test::FakeFileSystem fs;
    DesktopAutostart entry(fs, "/config/autostart/quelvo.desktop");
    fuzz::require(entry.SetRegString(path).ok(), "the entry is written");
    const std::string exec = entry.GetRegString("\x01missing");
    if (path.empty()) {
        fuzz::require(exec.empty(), "an entry switched off starts nothing");
    } else {
        fuzz::require(exec == quoteExecArgument(path), "the Exec value reads back as written");
        fuzz::require(execArgument(exec) == path, "the Exec value starts the program path unchanged");
    }
    return 0;
}
