#pragma once

#include "platform/instance_messenger.h"

#include <windows.h>

#include <functional>
#include <string>

namespace quelvo {

/// The running copy keeps a hidden message-only window of a class of its own; a later copy finds
/// it with FindWindowEx, lets that process take the foreground and sends it the request. Windows
/// belong to the logon session's desktop, so only copies of the same session reach each other.
class WindowMessenger final : public InstanceMessenger
{
public:
    /// `className` empty: the program's own, "Quelvo.InstanceMessenger".
    explicit WindowMessenger(std::wstring className = {});
    ~WindowMessenger() override;
    WindowMessenger(const WindowMessenger&) = delete;
    WindowMessenger& operator=(const WindowMessenger&) = delete;

    /// Makes this copy's knock ask the running copy to show its main window in any case.
    void askToShowWindow() { m_askToShowWindow = true; }

    bool listen(std::function<void(bool showWindow)> onKnock) override;
    bool knock() override;

    /// How long a knock waits for the running copy to take the message.
    static constexpr UINT kKnockTimeoutMs = 1000;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::wstring m_className;
    HWND m_window = nullptr;
    std::function<void(bool showWindow)> m_onKnock;
    bool m_askToShowWindow = false;
};

} // namespace quelvo
