#include "platform/linux/desktop_autostart.h"

#include "platform/linux/autostart_entry.h"

namespace quelvo {

DesktopAutostart::DesktopAutostart(FileSystem& fs, std::string entryPath, std::vector<std::string> arguments)
    : m_fs(fs), m_path(std::move(entryPath)), m_arguments(std::move(arguments))
{}

std::string DesktopAutostart::GetRegString(std::string_view def) const
{
    const auto text = m_fs.readAll(m_path);
    if (!text)
        return std::string(def);
    return autostartCommand(*text);
}

IoResult DesktopAutostart::SetRegString(std::string_view command)
{
    const auto slash = m_path.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        if (IoResult r = m_fs.makeFolders(m_path.substr(0, slash)); !r.ok())
            return r;
    }
    std::string exec;
    if (!command.empty()) {
        exec = quoteExecArgument(command);
        for (const std::string& argument : m_arguments)
            exec += ' ' + quoteExecArgument(argument);
    }
    const std::string text = composeAutostartEntry(exec, command);
    // Written beside the entry and renamed over it, so a failure leaves the old entry whole.
    const std::string name = m_path.substr(slash == std::string::npos ? 0 : slash + 1);
    return m_fs.replaceContents(m_path, name + ".new", text, NewFileAccess::OwnerOnly);
}

} // namespace quelvo
