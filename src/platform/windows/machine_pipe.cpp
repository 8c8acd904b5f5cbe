#include "platform/windows/machine_pipe.h"

#include "platform/windows/wide_text.h"
#include "platform/windows/windows_power.h"

#include <array>
#include <cstdlib>
#include <system_error>
#include <utility>
#include <vector>

#include <windows.h>
// after windows.h, which they need
#include <sddl.h>
#include <wtsapi32.h>

namespace quelvo {

namespace {

// SYSTEM, Administrators and the instances' owner (the service's account) make instances and do
// anything; authenticated users read and write data (0x12018b: FILE_GENERIC_READ, FILE_WRITE_DATA,
// FILE_WRITE_ATTRIBUTES) but, without FILE_CREATE_PIPE_INSTANCE, can't serve the name themselves.
constexpr const wchar_t* kPipeSecurity = L"D:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;OW)(A;;0x12018b;;;AU)";

constexpr DWORD kOutBuffer = 16 * 1024;
constexpr DWORD kInBuffer = 4 * 1024;

std::string nameText(const std::wstring& name)
{
    return toUtf8(name);
}

std::string systemMessage(DWORD error)
{
    return WindowsSystemMessages().messageText(error);
}

// Waits for an operation that was cancelled to be done with its buffer: the event they share may be
// set already by another, so its own state tells.
void settle(HANDLE handle, OVERLAPPED& overlapped)
{
    DWORD bytes = 0;
    while (::GetOverlappedResult(handle, &overlapped, &bytes, FALSE) == FALSE &&
           ::GetLastError() == ERROR_IO_INCOMPLETE)
        ::Sleep(1);
}

} // namespace

struct MachinePipe::Client
{
    HANDLE pipe = nullptr;
    OVERLAPPED reading{};
    OVERLAPPED writing{};
    bool readPending = false;
    bool writePending = false;
    bool dropped = false;
    std::array<char, 1024> buffer{};
    std::string inFlight; // what the pending write sends
    std::string queued;   // what waits for it
    MessageLines lines;
};

struct MachinePipe::Waiting
{
    HANDLE pipe = nullptr; // null: no instance waits
    OVERLAPPED connect{};
    bool pending = false;
    bool connected = false; // a program came before the connect was asked for
};

std::optional<std::string> allowedCaller(PipeClientQuery& query, void* pipe)
{
    const std::optional<PipeAccount> account = query.account(pipe);
    if (!account)
        return std::nullopt;
    if (account->privileged)
        return account->name;
    // A session nobody sits at (disconnected, the services' own) may not stop what others wait for.
    const std::optional<unsigned long> session = query.session(pipe);
    if (!session || !query.active(*session))
        return std::nullopt;
    return account->name;
}

std::optional<PipeAccount> WindowsPipeClients::account(void* pipe)
{
    if (::ImpersonateNamedPipeClient(pipe) == FALSE)
        return std::nullopt;
    HANDLE token = nullptr;
    const bool opened = ::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, &token) != FALSE;
    // The loop's thread must never go on as its client.
    if (::RevertToSelf() == FALSE)
        std::abort();
    if (!opened)
        return std::nullopt;

    std::optional<PipeAccount> account;
    DWORD size = 0;
    (void)::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> user(size);
    if (size > 0 && ::GetTokenInformation(token, TokenUser, user.data(), size, &size) != FALSE) {
        PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
        std::array<wchar_t, 256> name{};
        std::array<wchar_t, 256> domain{};
        DWORD nameLength = name.size();
        DWORD domainLength = domain.size();
        SID_NAME_USE use{};
        if (::LookupAccountSidW(nullptr, sid, name.data(), &nameLength, domain.data(), &domainLength, &use) != FALSE) {
            account = PipeAccount{.name = toUtf8(name.data())};
            SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
            PSID administrators = nullptr;
            BOOL member = FALSE;
            if (::AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                           0, &administrators) != FALSE) {
                // An administrator's filtered token (not elevated) holds the group for denying only.
                if (::CheckTokenMembership(token, administrators, &member) == FALSE)
                    member = FALSE;
                ::FreeSid(administrators);
            }
            account->privileged = ::IsWellKnownSid(sid, WinLocalSystemSid) != FALSE || member != FALSE;
        }
    }
    ::CloseHandle(token);
    return account;
}

std::optional<unsigned long> WindowsPipeClients::session(void* pipe)
{
    ULONG id = 0;
    if (::GetNamedPipeClientSessionId(pipe, &id) == FALSE)
        return std::nullopt;
    return id;
}

bool WindowsPipeClients::active(unsigned long session)
{
    LPWSTR data = nullptr;
    DWORD bytes = 0;
    if (::WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session, WTSConnectState, &data, &bytes) == FALSE)
        return false;
    const bool active =
        bytes >= sizeof(WTS_CONNECTSTATE_CLASS) && *reinterpret_cast<WTS_CONNECTSTATE_CLASS*>(data) == WTSActive;
    ::WTSFreeMemory(data);
    return active;
}

MachinePipe::MachinePipe(PipeClientQuery& clients, std::wstring name)
    : m_query(clients), m_name(std::move(name)), m_waiting(std::make_unique<Waiting>())
{
    m_event = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (m_event == nullptr)
        throw std::system_error(static_cast<int>(::GetLastError()), std::system_category(), "CreateEventW");
    m_waiting->connect.hEvent = m_event;
}

MachinePipe::~MachinePipe()
{
    for (const auto& client : m_clients)
        drop(*client);
    removeDropped();
    if (m_waiting->pipe != nullptr) {
        if (m_waiting->pending) {
            ::CancelIoEx(m_waiting->pipe, &m_waiting->connect);
            settle(m_waiting->pipe, m_waiting->connect);
        }
        ::CloseHandle(m_waiting->pipe);
    }
    if (m_security != nullptr)
        ::LocalFree(m_security);
    ::CloseHandle(m_event);
}

std::string MachinePipe::publish(MachineAnswerer answerer)
{
    m_answerer = std::move(answerer);
    // Wine makes a second "first" instance without a word, so a name that answers is taken too.
    if (::WaitNamedPipeW(m_name.c_str(), 1) != FALSE || ::GetLastError() == ERROR_SEM_TIMEOUT)
        return "another program already serves " + nameText(m_name);
    PSECURITY_DESCRIPTOR security = nullptr;
    if (::ConvertStringSecurityDescriptorToSecurityDescriptorW(kPipeSecurity, SDDL_REVISION_1, &security, nullptr) ==
        FALSE)
        return "cannot describe the access rules of " + nameText(m_name) + ": " + systemMessage(::GetLastError());
    m_security = security;
    SECURITY_ATTRIBUTES attributes{
        .nLength = sizeof(SECURITY_ATTRIBUTES), .lpSecurityDescriptor = m_security, .bInheritHandle = FALSE};
    // The first instance claims the name: whoever made one before owns it, and this one fails.
    HANDLE pipe =
        ::CreateNamedPipeW(m_name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                           PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                           PIPE_UNLIMITED_INSTANCES, kOutBuffer, kInBuffer, 0, &attributes);
    if (pipe == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_ACCESS_DENIED || error == ERROR_PIPE_BUSY)
            return "another program already serves " + nameText(m_name);
        return "cannot make " + nameText(m_name) + ": " + systemMessage(error);
    }
    m_waiting->pipe = pipe;
    listen();
    return {};
}

void MachinePipe::listen()
{
    Waiting& waiting = *m_waiting;
    if (waiting.pipe == nullptr) {
        if (m_clients.size() >= kMaxClients || m_security == nullptr)
            return;
        SECURITY_ATTRIBUTES attributes{
            .nLength = sizeof(SECURITY_ATTRIBUTES), .lpSecurityDescriptor = m_security, .bInheritHandle = FALSE};
        HANDLE pipe = ::CreateNamedPipeW(m_name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                         PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                                         PIPE_UNLIMITED_INSTANCES, kOutBuffer, kInBuffer, 0, &attributes);
        // Tried again when the next program leaves or anything else is served.
        if (pipe == INVALID_HANDLE_VALUE)
            return;
        waiting.pipe = pipe;
    }
    for (int tries = 0; tries < 3; ++tries) {
        waiting.connect = OVERLAPPED{};
        waiting.connect.hEvent = m_event;
        if (::ConnectNamedPipe(waiting.pipe, &waiting.connect) != FALSE) {
            waiting.connected = true;
            break;
        }
        const DWORD error = ::GetLastError();
        if (error == ERROR_IO_PENDING) {
            waiting.pending = true;
            return;
        }
        if (error == ERROR_PIPE_CONNECTED) {
            waiting.connected = true;
            break;
        }
        // A program that came and went already: the instance is free again.
        ::DisconnectNamedPipe(waiting.pipe);
    }
    // Nothing signals a connection made before the call: the next look finds it.
    if (waiting.connected)
        ::SetEvent(m_event);
}

bool MachinePipe::accept()
{
    Waiting& waiting = *m_waiting;
    if (waiting.pipe == nullptr) {
        listen();
        return waiting.connected;
    }
    if (waiting.pending) {
        if (!HasOverlappedIoCompleted(&waiting.connect))
            return false;
        waiting.pending = false;
        DWORD bytes = 0;
        if (::GetOverlappedResult(waiting.pipe, &waiting.connect, &bytes, FALSE) == FALSE) {
            ::DisconnectNamedPipe(waiting.pipe);
            listen();
            return true;
        }
        waiting.connected = true;
    }
    if (!waiting.connected)
        return false;
    auto client = std::make_unique<Client>();
    client->pipe = std::exchange(waiting.pipe, nullptr);
    client->reading.hEvent = m_event;
    client->writing.hEvent = m_event;
    waiting.connected = false;
    m_clients.push_back(std::move(client));
    startReading(*m_clients.back());
    listen();
    return true;
}

std::optional<WakeCause> MachinePipe::serve()
{
    // Reset before looking: whatever completes from now on sets it again. A pass that starts an
    // operation resets it too, so passes go on until one finds nothing done.
    ::ResetEvent(m_event);
    for (bool busy = true; busy;) {
        busy = accept();
        for (std::size_t i = 0; i < m_clients.size(); ++i)
            busy = serveClient(*m_clients[i]) || busy;
        removeDropped();
    }
    return std::exchange(m_heard, std::nullopt);
}

bool MachinePipe::serveClient(Client& client)
{
    bool served = false;
    if (!client.dropped && client.readPending && HasOverlappedIoCompleted(&client.reading)) {
        served = true;
        client.readPending = false;
        DWORD bytes = 0;
        if (::GetOverlappedResult(client.pipe, &client.reading, &bytes, FALSE) == FALSE ||
            !client.lines.feed(std::string_view(client.buffer.data(), bytes))) {
            drop(client);
            return true;
        }
        while (const std::optional<std::string> line = client.lines.next()) {
            answer(client, *line);
            if (client.dropped)
                return true;
        }
        startReading(client);
    }
    if (!client.dropped && client.writePending && HasOverlappedIoCompleted(&client.writing)) {
        served = true;
        client.writePending = false;
        DWORD bytes = 0;
        if (::GetOverlappedResult(client.pipe, &client.writing, &bytes, FALSE) == FALSE) {
            drop(client);
            return true;
        }
        client.inFlight.erase(0, bytes);
        startWriting(client);
    }
    return served;
}

void MachinePipe::startReading(Client& client)
{
    if (client.dropped || client.readPending)
        return;
    client.readPending = true;
    if (::ReadFile(client.pipe, client.buffer.data(), static_cast<DWORD>(client.buffer.size()), nullptr,
                   &client.reading) == FALSE &&
        ::GetLastError() != ERROR_IO_PENDING) {
        client.readPending = false;
        drop(client);
    }
}

void MachinePipe::startWriting(Client& client)
{
    if (client.dropped || client.writePending)
        return;
    if (client.inFlight.empty())
        client.inFlight = std::exchange(client.queued, {});
    if (client.inFlight.empty())
        return;
    client.writePending = true;
    if (::WriteFile(client.pipe, client.inFlight.data(), static_cast<DWORD>(client.inFlight.size()), nullptr,
                    &client.writing) == FALSE &&
        ::GetLastError() != ERROR_IO_PENDING) {
        client.writePending = false;
        drop(client);
    }
}

void MachinePipe::answer(Client& client, const std::string& line)
{
    const std::optional<MachineMessage> message = decodeMessage(line);
    const MachineRequest* request = message ? std::get_if<MachineRequest>(&*message) : nullptr;
    if (request == nullptr) {
        drop(client);
        return;
    }
    const std::optional<std::string> who = allowedCaller(m_query, client.pipe);
    if (!who) {
        send(client, encodeMessage(MachineReply{.ok = false, .error = std::string(kNotAllowedText)}));
        return;
    }
    if (!m_heard)
        m_heard = WakeCause::Request;
    send(client, encodeMessage(m_answerer(*request, *who)));
}

void MachinePipe::send(Client& client, const std::string& line)
{
    if (client.dropped)
        return;
    client.queued += line;
    if (client.queued.size() + client.inFlight.size() > kMaxUnread) {
        drop(client);
        return;
    }
    startWriting(client);
}

void MachinePipe::broadcast(const MachineMessage& message)
{
    const std::string line = encodeMessage(message);
    for (const auto& client : m_clients)
        send(*client, line);
    // Starting a write resets the shared event, and with it whatever else had set it.
    ::SetEvent(m_event);
}

void MachinePipe::warning(const MachineWarning& warning)
{
    broadcast(warning);
}

void MachinePipe::countdownStarted(const std::string& line, bool reboot, int seconds)
{
    broadcast(MachineCountdown{.line = line, .reboot = reboot, .seconds = seconds});
}

void MachinePipe::countdownEnded(std::string_view outcome, const std::string& who)
{
    broadcast(MachineEnded{.outcome = std::string(outcome), .who = who});
}

void MachinePipe::drop(Client& client)
{
    client.dropped = true;
}

void MachinePipe::removeDropped()
{
    std::vector<std::unique_ptr<Client>> gone;
    std::erase_if(m_clients, [&gone](std::unique_ptr<Client>& client) {
        if (client->dropped)
            gone.push_back(std::move(client));
        return client == nullptr;
    });
    if (gone.empty())
        return;
    // A new instance first, so the name never goes while the service runs.
    listen();
    for (const auto& client : gone) {
        ::CancelIoEx(client->pipe, nullptr);
        if (client->readPending)
            settle(client->pipe, client->reading);
        if (client->writePending)
            settle(client->pipe, client->writing);
        ::DisconnectNamedPipe(client->pipe);
        ::CloseHandle(client->pipe);
    }
}

} // namespace quelvo
