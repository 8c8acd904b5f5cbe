#pragma once

#include "schedule/event_list.h"
#include "schedule/user_message.h"

#include <windows.h>

#include <string>

namespace quelvo::win32 {

/// A modal message with OK, its icon as the message says; returns when the user closed it.
void showMessage(HWND owner, const UserMessage& message);
/// A modal Yes/No question without an icon; true for Yes.
bool ask(HWND owner, const UserQuestion& question);
/// A message titled "Error!" with the stop icon that does not block the caller: it opens from
/// the message loop and stays until the user closes it.
void showErrorLater(const std::string& text);

} // namespace quelvo::win32
