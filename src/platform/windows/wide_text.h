#pragma once

#include <string>
#include <string_view>

namespace quelvo {

/// Text is UTF-8 in the program and wide (UTF-16) at every system call, so paths, captions and
/// messages outside the ANSI code page (a user name, say) work.
std::wstring toWide(std::string_view utf8);
/// The inverse of toWide, for what the system hands back.
std::string toUtf8(std::wstring_view wide);

} // namespace quelvo
