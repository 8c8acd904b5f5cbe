#pragma once

#include "platform/windows/machine_message.h"
#include "platform/windows/waitable_wake_source.h"
#include "schedule/machine_scheduler.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelvo {

/// The account at the other end of the pipe.
struct PipeAccount
{
    std::string name;        // the user's name, as the history records it
    bool privileged = false; // LocalSystem, or an administrator whose rights are enabled (elevated)
};

/// What the system says of a pipe's client: the real one asks Windows, tests answer with a fake.
class PipeClientQuery
{
public:
    virtual ~PipeClientQuery() = default;

    /// The client's account, from its token; nullopt when it can't be read.
    virtual std::optional<PipeAccount> account(void* pipe) = 0;
    /// The Remote Desktop Services session the client runs in; nullopt when unknown.
    virtual std::optional<unsigned long> session(void* pipe) = 0;
    /// True when somebody uses the session now (WTSActive), at the console or from afar.
    virtual bool active(unsigned long session) = 0;
};

/// The refusal of a request from somebody who may not change the machine's countdown.
inline constexpr std::string_view kNotAllowedText =
    "only an administrator or a user with an active session on this PC may do this";

/// The name to record for the pipe's client when it may cancel, put off or skip the machine's
/// firings (LocalSystem, an elevated administrator, or anybody whose session is active); nullopt
/// when it may not.
std::optional<std::string> allowedCaller(PipeClientQuery& query, void* pipe);

/// PipeClientQuery over ImpersonateNamedPipeClient, GetNamedPipeClientSessionId and
/// WTSQuerySessionInformationW.
class WindowsPipeClients final : public PipeClientQuery
{
public:
    std::optional<PipeAccount> account(void* pipe) override;
    std::optional<unsigned long> session(void* pipe) override;
    bool active(unsigned long session) override;
};

/// Answers a request from a person at the machine who may make it, named `who`.
using MachineAnswerer = std::function<MachineReply(MachineRequest request, const std::string& who)>;

/// The machine service's end of \\.\pipe\Quelvo: every connected program hears the warnings and
/// countdowns, and may ask to cancel, put off or skip them. All of its overlapped reads, writes and
/// connects signal one event that the service's wake source sleeps on; serve() then looks at each of
/// them, on the loop's own thread. A client that sends what is no message, a line longer than
/// kMaxMessageBytes, or that lets kMaxUnread bytes pile up unread is disconnected.
class MachinePipe final : public WakeChannel
{
public:
    /// How many programs may be connected at once; more wait for a free place.
    static constexpr std::size_t kMaxClients = 32;
    /// How much may wait for a client that does not read before it is disconnected.
    static constexpr std::size_t kMaxUnread = 64 * 1024;

    /// Throws std::system_error when its event can't be made.
    MachinePipe(PipeClientQuery& clients, std::wstring name = std::wstring(kMachinePipeName));
    ~MachinePipe() override;
    MachinePipe(const MachinePipe&) = delete;
    MachinePipe& operator=(const MachinePipe&) = delete;

    /// Makes the pipe's first instance and starts waiting for programs; empty when that worked, else
    /// why not (another program owns the name).
    std::string publish(MachineAnswerer answerer);

    void warning(const MachineWarning& warning);
    void countdownStarted(const std::string& line, bool reboot, int seconds);
    void countdownEnded(std::string_view outcome, const std::string& who);

    [[nodiscard]] void* event() const override { return m_event; }
    std::optional<WakeCause> serve() override;

    /// How many programs are connected now.
    [[nodiscard]] std::size_t clientCount() const { return m_clients.size(); }

private:
    struct Client;
    struct Waiting;

    // The next instance that waits for a program, unless one does or the place is full.
    void listen();
    // True when the waiting instance got a program, which then becomes a client.
    bool accept();
    // True when something was done for the client.
    bool serveClient(Client& client);
    void startReading(Client& client);
    void startWriting(Client& client);
    void answer(Client& client, const std::string& line);
    void send(Client& client, const std::string& line);
    void broadcast(const MachineMessage& message);
    void drop(Client& client);
    void removeDropped();

    PipeClientQuery& m_query;
    std::wstring m_name;
    MachineAnswerer m_answerer;
    void* m_event = nullptr;    // manual reset, shared by every pending operation
    void* m_security = nullptr; // the instances' security descriptor
    std::unique_ptr<Waiting> m_waiting;
    std::vector<std::unique_ptr<Client>> m_clients;
    std::optional<WakeCause> m_heard;
};

} // namespace quelvo
