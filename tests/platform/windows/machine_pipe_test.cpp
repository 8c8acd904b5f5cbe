#include "platform/windows/machine_link.h"
#include "platform/windows/machine_message.h"
#include "platform/windows/machine_pipe.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <thread>

// The pipe between the machine's service and the tray programs, against the real calls (under Wine
// in CI) on a pipe name of the test's own; who may act is decided over a fake of the system's answers,
// since Wine knows no session states.
namespace quelvo {
namespace {

using namespace std::chrono_literals;

struct FakeClients final : PipeClientQuery
{
    std::optional<PipeAccount> user = PipeAccount{.name = "alice"};
    std::optional<unsigned long> sessionId = 1;
    std::map<unsigned long, bool> sessions{{1, true}};

    std::optional<PipeAccount> account(void* /*pipe*/) override { return user; }
    std::optional<unsigned long> session(void* /*pipe*/) override { return sessionId; }
    bool active(unsigned long session) override { return sessions[session]; }
};

TEST(MachinePipeCallers, MayActFromAnActiveSessionOrAsAdministrator)
{
    struct Row
    {
        const char* what;
        bool privileged;
        std::optional<unsigned long> session;
        bool sessionActive;
        bool allowed;
    };
    const Row rows[] = {
        {"at the console, active", false, 1, true, true},
        {"from afar, active", false, 3, true, true},
        {"disconnected", false, 2, false, false},
        {"in no session known", false, std::nullopt, false, false},
        {"an administrator in the services' session", true, 0, false, true},
    };
    for (const Row& row : rows) {
        FakeClients clients;
        clients.user->privileged = row.privileged;
        clients.sessionId = row.session;
        clients.sessions = {{row.session.value_or(99), row.sessionActive}};
        const auto who = allowedCaller(clients, nullptr);
        EXPECT_EQ(who.value_or(""), row.allowed ? "alice" : "") << row.what;
    }
    FakeClients unreadable;
    unreadable.user.reset();
    EXPECT_FALSE(allowedCaller(unreadable, nullptr)) << "a client whose token can't be read";
}

TEST(MachineMessage, CarriesTextWithTabsAndLineEndsWhole)
{
    const MachineWarning warning{.line = "On Wed at 09:30 AM, Shut Down, Don't repeat",
                                 .reboot = true,
                                 .at = WallTime{} + 1'704'274'200s,
                                 .title = "Quelvo\tshutdown",
                                 .body = "in 5 minutes\r\nC:\\Users ü"};
    const std::string line = encodeMessage(warning);
    EXPECT_EQ(line, "Warning\tOn Wed at 09:30 AM, Shut Down, Don't repeat\t1\t1704274200\tQuelvo\\tshutdown\t"
                    "in 5 minutes\\r\\nC:\\\\Users ü\n");
    const auto decoded = decodeMessage(std::string_view(line).substr(0, line.size() - 1));
    ASSERT_TRUE(decoded && std::holds_alternative<MachineWarning>(*decoded));
    const auto& back = std::get<MachineWarning>(*decoded);
    EXPECT_EQ(back.title, warning.title);
    EXPECT_EQ(back.body, warning.body);
    EXPECT_EQ(back.at, warning.at);
    EXPECT_TRUE(back.reboot);
}

TEST(MachineMessage, RefusesWhatIsNoMessage)
{
    for (const std::string_view line : {
             "Hello",                       // no such message
             "Cancel\tnow",                 // a field too many
             "CountdownStarted\tx\t1",      // one too few
             "CountdownStarted\tx\t2\t10",  // a flag that is neither 0 nor 1
             "CountdownStarted\tx\t1\tten", // a number that is none
             "Refused\ta\\qb",              // an escape that means nothing
             "Refused\ta\x01",              // a control character
             "Refused\t\xC3\x28",           // not UTF-8
             "Refused\t\xED\xA0\x80",       // a surrogate
         })
        EXPECT_FALSE(decodeMessage(line)) << line;
    EXPECT_TRUE(decodeMessage("Refused\tno countdown is running"));
}

TEST(MachineMessage, LinesLongerThanTheBoundEndTheConnection)
{
    MessageLines lines;
    EXPECT_TRUE(lines.feed("Cancel\nSk"));
    EXPECT_TRUE(lines.feed("ip\n"));
    EXPECT_EQ(lines.next(), "Cancel");
    EXPECT_EQ(lines.next(), "Skip");
    EXPECT_FALSE(lines.next());
    EXPECT_TRUE(lines.feed(std::string(kMaxMessageBytes - 2, 'x')));
    EXPECT_TRUE(lines.feed("\n")) << "a line of exactly the bound";
    (void)lines.next();
    EXPECT_FALSE(lines.feed(std::string(kMaxMessageBytes, 'x'))) << "an endless line";
    MessageLines whole;
    EXPECT_FALSE(whole.feed(std::string(kMaxMessageBytes, 'x') + "\n")) << "a long line in one read";
}

struct MachinePipeTest : ::testing::Test
{
    std::wstring name = L"\\\\.\\pipe\\QuelvoTest-" + std::to_wstring(::GetCurrentProcessId());
    FakeClients clients;
    MachinePipe pipe{clients, name};
    std::vector<std::string> asked;

    void SetUp() override
    {
        ASSERT_EQ(pipe.publish([this](MachineRequest request, const std::string& who) {
            asked.push_back(who + (request == MachineRequest::Cancel ? " cancel" : " other"));
            return MachineReply{.ok = false, .error = "no countdown is running"};
        }),
                  "");
    }

    // Serves the pipe and the thread's messages until `done` or ten seconds passed.
    void serveUntil(const std::function<bool()>& done)
    {
        const auto end = std::chrono::steady_clock::now() + 10s;
        while (!done() && std::chrono::steady_clock::now() < end) {
            HANDLE event = pipe.event();
            ::MsgWaitForMultipleObjects(1, &event, FALSE, 50, QS_ALLINPUT);
            pipe.serve();
            MSG message{};
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageW(&message);
        }
    }

    // A client that sends `bytes`; true when the service then hung up on it.
    bool hungUpAfter(const std::string& bytes)
    {
        HANDLE client =
            ::CreateFileW(name.c_str(), GENERIC_READ | FILE_WRITE_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (client == INVALID_HANDLE_VALUE)
            return false;
        DWORD count = 0;
        bool hungUp = ::WriteFile(client, bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr) == FALSE;
        char byte = 0;
        hungUp = hungUp || ::ReadFile(client, &byte, 1, &count, nullptr) == FALSE;
        ::CloseHandle(client);
        return hungUp;
    }
};

TEST_F(MachinePipeTest, DropsMalformedAndEndlessClientsAndGoesOnAnswering)
{
    std::atomic<bool> done = false;
    bool malformedDropped = false;
    bool endlessDropped = false;
    std::string answered;
    std::string refused;
    std::thread client([&] {
        malformedDropped = hungUpAfter("Hello\n");
        endlessDropped = hungUpAfter(std::string(3 * kMaxMessageBytes, 'x'));
        SystemMachineLink link(name);
        answered = link.cancel();
        clients.sessions[1] = false;
        refused = link.skip();
        done = true;
    });
    serveUntil([&] { return done.load(); });
    client.join();
    EXPECT_TRUE(malformedDropped);
    EXPECT_TRUE(endlessDropped);
    EXPECT_EQ(answered, "no countdown is running");
    EXPECT_EQ(refused, kNotAllowedText);
    EXPECT_EQ(asked, std::vector<std::string>{"alice cancel"});
}

TEST_F(MachinePipeTest, TellsListeningProgramsOfACountdownAndRefusesASecondServer)
{
    MachinePipe second(clients, name);
    EXPECT_EQ(second.publish({}), "another program already serves " + std::string(name.begin(), name.end()));

    std::optional<MachineCountdown> heard;
    SystemMachineLink link(name);
    link.listen({.warning = {},
                 .countdownStarted = [&heard](const MachineCountdown& countdown) { heard = countdown; },
                 .countdownEnded = {}});
    serveUntil([&] { return pipe.clientCount() == 1; });
    pipe.countdownStarted("On Wed at 09:30 AM, Re Boot, Don't repeat", true, 10);
    serveUntil([&] { return heard.has_value(); });
    ASSERT_TRUE(heard);
    EXPECT_TRUE(heard->reboot);
    EXPECT_EQ(heard->seconds, 10);

    SystemMachineLink nowhere(L"\\\\.\\pipe\\QuelvoTest-none");
    EXPECT_EQ(nowhere.postpone(), "no machine service runs here");
}

} // namespace
} // namespace quelvo
