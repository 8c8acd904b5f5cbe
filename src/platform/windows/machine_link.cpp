#include "platform/windows/machine_link.h"

#include "platform/windows/windows_power.h"

#include <array>
#include <utility>
#include <variant>
#include <vector>

#include <windows.h>

namespace quelvo {

namespace {

constexpr const char* kNoService = "no machine service runs here";
constexpr const char* kNoAnswer = "the machine's service did not answer";
constexpr const wchar_t* kWindowClass = L"QuelvoMachineLink";
constexpr UINT kHeardMessage = WM_APP + 1;
// The service answers at once; one that hangs must not hold the program's one thread for long.
constexpr DWORD kCallTimeoutMs = 2000;
// A service that went away may be restarting: the first look again comes soon.
constexpr DWORD kReconnectMs = 1000;

// The pipe's client end. The service learns who is calling but may not act as the caller.
HANDLE openPipe(const std::wstring& name, DWORD access)
{
    return ::CreateFileW(name.c_str(), access, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
}

// The user of a process, as its token's TOKEN_USER; empty when it can't be read.
std::vector<unsigned char> processUser(HANDLE process)
{
    HANDLE token = nullptr;
    if (::OpenProcessToken(process, TOKEN_QUERY, &token) == FALSE)
        return {};
    DWORD size = 0;
    (void)::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> user(size);
    if (size == 0 || ::GetTokenInformation(token, TokenUser, user.data(), size, &size) == FALSE)
        user.clear();
    ::CloseHandle(token);
    return user;
}

// True when the pipe's server is a service (session 0, where no user can start a program) or runs
// as this program's own user (a service started by hand, for a test): any other user could have
// taken the name first, to show false countdowns and swallow this user's answers.
bool trustedServer(HANDLE pipe)
{
    ULONG session = 0;
    if (::GetNamedPipeServerSessionId(pipe, &session) != FALSE && session == 0)
        return true;
    ULONG id = 0;
    if (::GetNamedPipeServerProcessId(pipe, &id) == FALSE)
        return false;
    HANDLE server = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (server == nullptr)
        return false;
    const std::vector<unsigned char> theirs = processUser(server);
    ::CloseHandle(server);
    const std::vector<unsigned char> ours = processUser(::GetCurrentProcess());
    return !theirs.empty() && !ours.empty() &&
           ::EqualSid(reinterpret_cast<const TOKEN_USER*>(theirs.data())->User.Sid,
                      reinterpret_cast<const TOKEN_USER*>(ours.data())->User.Sid) != FALSE;
}

// The pipe's client end, from a server this program may trust; INVALID_HANDLE_VALUE with the
// error set otherwise.
HANDLE openTrustedPipe(const std::wstring& name, DWORD access)
{
    HANDLE pipe = openPipe(name, access);
    if (pipe != INVALID_HANDLE_VALUE && !trustedServer(pipe)) {
        ::CloseHandle(pipe);
        ::SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return pipe;
}

// Waits for an overlapped operation until `deadline` (GetTickCount64); false when it failed or did
// not end in time (then it is cancelled).
bool await(HANDLE pipe, OVERLAPPED& overlapped, DWORD& bytes, ULONGLONG deadline)
{
    const ULONGLONG now = ::GetTickCount64();
    const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
    if (::WaitForSingleObject(overlapped.hEvent, left) != WAIT_OBJECT_0) {
        ::CancelIoEx(pipe, &overlapped);
        (void)::GetOverlappedResult(pipe, &overlapped, &bytes, TRUE);
        return false;
    }
    return ::GetOverlappedResult(pipe, &overlapped, &bytes, FALSE) != FALSE;
}

} // namespace

struct MachineLinkWindow
{
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == kHeardMessage) {
            if (auto* link = reinterpret_cast<SystemMachineLink*>(::GetWindowLongPtrW(window, GWLP_USERDATA)))
                link->deliver();
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
};

SystemMachineLink::SystemMachineLink(std::wstring pipeName) : m_name(std::move(pipeName))
{}

SystemMachineLink::~SystemMachineLink()
{
    if (m_stop != nullptr)
        ::SetEvent(m_stop);
    if (m_reader.joinable())
        m_reader.join();
    if (m_window != nullptr)
        ::DestroyWindow(static_cast<HWND>(m_window));
    if (m_stop != nullptr)
        ::CloseHandle(m_stop);
}

void SystemMachineLink::listen(MachineEvents events)
{
    m_events = std::move(events);
    if (m_window != nullptr)
        return;
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &MachineLinkWindow::procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    // A second link in the same program finds the class made already.
    (void)::RegisterClassExW(&windowClass);
    HWND window = ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    m_stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (window == nullptr || m_stop == nullptr) {
        // Nothing can be heard then; requests still work.
        if (window != nullptr)
            ::DestroyWindow(window);
        return;
    }
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_window = window;
    m_reader = std::thread([this] { readLoop(); });
}

std::string SystemMachineLink::cancel()
{
    return request(MachineRequest::Cancel);
}

std::string SystemMachineLink::postpone()
{
    return request(MachineRequest::Postpone);
}

std::string SystemMachineLink::skip()
{
    return request(MachineRequest::Skip);
}

std::string SystemMachineLink::request(MachineRequest request)
{
    const ULONGLONG deadline = ::GetTickCount64() + kCallTimeoutMs;
    HANDLE pipe = openTrustedPipe(m_name, GENERIC_READ | FILE_WRITE_DATA);
    if (pipe == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_PIPE_BUSY &&
        ::WaitNamedPipeW(m_name.c_str(), kCallTimeoutMs) != FALSE)
        pipe = openTrustedPipe(m_name, GENERIC_READ | FILE_WRITE_DATA);
    if (pipe == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND)
            return kNoService;
        return "the machine's service cannot be reached: " + WindowsSystemMessages().messageText(error);
    }
    HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::string result = kNoAnswer;
    if (event != nullptr) {
        const std::string line = encodeMessage(request);
        OVERLAPPED overlapped{};
        overlapped.hEvent = event;
        DWORD bytes = 0;
        const bool wrote =
            (::WriteFile(pipe, line.data(), static_cast<DWORD>(line.size()), nullptr, &overlapped) != FALSE ||
             ::GetLastError() == ERROR_IO_PENDING) &&
            await(pipe, overlapped, bytes, deadline);
        MessageLines lines;
        std::array<char, 1024> buffer{};
        // The events told to every program may come before the answer; the listening thread hears those.
        for (bool reading = wrote; reading;) {
            overlapped = OVERLAPPED{};
            overlapped.hEvent = event;
            reading =
                (::ReadFile(pipe, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr, &overlapped) != FALSE ||
                 ::GetLastError() == ERROR_IO_PENDING) &&
                await(pipe, overlapped, bytes, deadline) && lines.feed(std::string_view(buffer.data(), bytes));
            while (reading) {
                const std::optional<std::string> next = lines.next();
                if (!next)
                    break;
                const std::optional<MachineMessage> message = decodeMessage(*next);
                if (!message) {
                    reading = false;
                } else if (const auto* reply = std::get_if<MachineReply>(&*message)) {
                    result = reply->ok ? std::string() : reply->error;
                    reading = false;
                }
            }
        }
        ::CloseHandle(event);
    }
    ::CloseHandle(pipe);
    return result;
}

void SystemMachineLink::readLoop()
{
    HANDLE readEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (readEvent == nullptr)
        return;
    for (;;) {
        HANDLE pipe = openTrustedPipe(m_name, GENERIC_READ);
        DWORD pause = kRetryMs;
        if (pipe != INVALID_HANDLE_VALUE) {
            const bool goOn = readConnection(pipe, readEvent);
            ::CloseHandle(pipe);
            if (!goOn)
                break;
            pause = kReconnectMs;
        } else if (::GetLastError() == ERROR_PIPE_BUSY) {
            // The service runs but every place is taken: one frees soon.
            pause = kReconnectMs;
        }
        if (::WaitForSingleObject(m_stop, pause) == WAIT_OBJECT_0)
            break;
    }
    ::CloseHandle(readEvent);
}

bool SystemMachineLink::readConnection(void* pipe, void* readEvent)
{
    MessageLines lines;
    std::array<char, 1024> buffer{};
    for (;;) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = readEvent;
        DWORD bytes = 0;
        if (::ReadFile(pipe, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr, &overlapped) == FALSE) {
            if (::GetLastError() != ERROR_IO_PENDING)
                return true;
            const std::array<HANDLE, 2> handles{m_stop, readEvent};
            if (::WaitForMultipleObjects(handles.size(), handles.data(), FALSE, INFINITE) == WAIT_OBJECT_0) {
                ::CancelIoEx(pipe, &overlapped);
                (void)::GetOverlappedResult(pipe, &overlapped, &bytes, TRUE);
                return false;
            }
        }
        // A service that ended, or one that says what is no message, is left for the next look.
        if (::GetOverlappedResult(pipe, &overlapped, &bytes, FALSE) == FALSE ||
            !lines.feed(std::string_view(buffer.data(), bytes)))
            return true;
        bool heard = false;
        while (const std::optional<std::string> line = lines.next()) {
            std::optional<MachineMessage> message = decodeMessage(*line);
            if (!message)
                return true;
            if (std::holds_alternative<MachineRequest>(*message) || std::holds_alternative<MachineReply>(*message))
                continue;
            const std::lock_guard lock(m_mutex);
            m_heard.push_back(std::move(*message));
            heard = true;
        }
        if (heard)
            ::PostMessageW(static_cast<HWND>(m_window), kHeardMessage, 0, 0);
    }
}

void SystemMachineLink::deliver()
{
    std::deque<MachineMessage> heard;
    {
        const std::lock_guard lock(m_mutex);
        heard.swap(m_heard);
    }
    for (const MachineMessage& message : heard) {
        if (const auto* warning = std::get_if<MachineWarning>(&message)) {
            if (m_events.warning)
                m_events.warning(*warning);
        } else if (const auto* countdown = std::get_if<MachineCountdown>(&message)) {
            if (m_events.countdownStarted)
                m_events.countdownStarted(*countdown);
        } else if (const auto* ended = std::get_if<MachineEnded>(&message)) {
            if (m_events.countdownEnded)
                m_events.countdownEnded(ended->outcome, ended->who);
        }
    }
}

} // namespace quelvo
