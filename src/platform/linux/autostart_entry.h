#pragma once

#include <string>
#include <string_view>

namespace quelvo {

/// Quotes a program path for the Exec key of a desktop entry, so that blanks, quotes,
/// backslashes and percent signs reach the program unchanged.
std::string quoteExecArgument(std::string_view path);

/// The text of the autostart desktop entry. An empty command gives the entry that keeps
/// its place but starts nothing (empty Exec, Hidden=true). `program`, the executable's path,
/// goes into TryExec, so an entry left behind by a removed program starts nothing.
std::string composeAutostartEntry(std::string_view command, std::string_view program = {});

/// The command an entry starts, as its Exec value stands (unescaped); empty when the
/// entry is hidden, switched off by GNOME's own switch (X-GNOME-Autostart-enabled=false),
/// has no Exec, or is not a desktop entry.
std::string autostartCommand(std::string_view entryText);

} // namespace quelvo
