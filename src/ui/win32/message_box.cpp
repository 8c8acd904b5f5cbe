#include "ui/win32/message_box.h"

#include "platform/windows/wide_text.h"

#include <memory>

namespace quelvo::win32 {

namespace {

// Posted to the hidden window with a text it now owns.
constexpr UINT kShowError = WM_APP + 1;

LRESULT CALLBACK laterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kShowError) {
        const std::unique_ptr<std::string> text(reinterpret_cast<std::string*>(lParam));
        // No owner may be in sight (the program in the tray, the other countdown on top): bring it forward.
        ::MessageBoxW(nullptr, toWide(*text).c_str(), toWide(kErrorTitle).c_str(),
                      MB_OK | MB_ICONSTOP | MB_SETFOREGROUND | MB_TOPMOST);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// A message-only window of the user-interface thread, made at the first use.
HWND laterWindow()
{
    static const HWND window = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = laterProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"QuelvoMessageLater";
        ::RegisterClassW(&windowClass);
        return ::CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 windowClass.hInstance, nullptr);
    }();
    return window;
}

} // namespace

void showMessage(HWND owner, const UserMessage& message)
{
    const UINT icon = message.icon == MessageIcon::Stop ? MB_ICONSTOP : MB_ICONINFORMATION;
    ::MessageBoxW(owner, toWide(message.text).c_str(), toWide(message.title).c_str(), MB_OK | icon);
}

bool ask(HWND owner, const UserQuestion& question)
{
    return ::MessageBoxW(owner, toWide(question.text).c_str(), toWide(question.title).c_str(), MB_YESNO) == IDYES;
}

void showErrorLater(const std::string& text)
{
    auto owned = std::make_unique<std::string>(text);
    if (::PostMessageW(laterWindow(), kShowError, 0, reinterpret_cast<LPARAM>(owned.get())))
        owned.release();
}

} // namespace quelvo::win32
