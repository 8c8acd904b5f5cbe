// Runs only under logind_mock.py, which starts a private bus with a mock logind on it.
#include "platform/linux/epoll_wake_source.h"
#include "platform/linux/logind_power.h"
#include "platform/linux/machine_bus.h"

#include "fakes/temp_home.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdarg>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quelvo {
namespace {

using namespace std::chrono_literals;

constexpr const char* kLogind = "org.freedesktop.login1";
constexpr const char* kLogindPath = "/org/freedesktop/login1";
constexpr const char* kMock = "org.freedesktop.DBus.Mock";
constexpr uid_t kNobody = 65534;

// A mock logind call; fails the test when the mock refuses it.
void mockCall(sd_bus* bus, const char* path, const char* interface, const char* method, const char* types, ...)
{
    sd_bus_message* call = nullptr;
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    ASSERT_GE(sd_bus_message_new_method_call(bus, &call, kLogind, path, interface, method), 0);
    va_list args;
    va_start(args, types);
    const int appended = sd_bus_message_appendv(call, types, args);
    va_end(args);
    ASSERT_GE(appended, 0);
    const int r = sd_bus_call(bus, call, 0, &error, &reply);
    EXPECT_GE(r, 0) << method << ": " << (error.message ? error.message : "");
    sd_bus_error_free(&error);
    sd_bus_message_unref(reply);
    sd_bus_message_unref(call);
}

// Every call logind received since the last reset, as "Method arg ...".
std::vector<std::string> logindCalls(sd_bus* bus)
{
    sd_bus_message* reply = nullptr;
    std::vector<std::string> calls;
    if (sd_bus_call_method(bus, kLogind, kLogindPath, kMock, "GetCalls", nullptr, &reply, "") < 0)
        return {"GetCalls failed"};
    sd_bus_message_enter_container(reply, 'a', "(tsav)");
    while (sd_bus_message_enter_container(reply, 'r', "tsav") > 0) {
        std::uint64_t time = 0;
        const char* method = nullptr;
        sd_bus_message_read(reply, "ts", &time, &method);
        std::string line = method;
        sd_bus_message_enter_container(reply, 'a', "v");
        for (const char* type = nullptr; sd_bus_message_peek_type(reply, nullptr, &type) > 0;) {
            std::uint64_t number = 0;
            int flag = 0;
            if (std::string_view(type) == "t" && sd_bus_message_read(reply, "v", "t", &number) > 0)
                line += " " + std::to_string(number);
            else if (std::string_view(type) == "b" && sd_bus_message_read(reply, "v", "b", &flag) > 0)
                line += flag != 0 ? " true" : " false";
            else if (sd_bus_message_skip(reply, "v") < 0)
                break;
        }
        sd_bus_message_exit_container(reply);
        sd_bus_message_exit_container(reply);
        if (line != "ListInhibitors" && line != "ListSessions")
            calls.push_back(line);
    }
    sd_bus_message_unref(reply);
    return calls;
}

// In a child process of `uid`, calls `method` on the service and writes what came back.
[[noreturn]] void callFromChild(uid_t uid, const char* method, int out)
{
    if (uid != 0 && (::setresgid(uid, uid, uid) != 0 || ::setresuid(uid, uid, uid) != 0))
        ::_exit(3);
    sd_bus* bus = nullptr;
    sd_bus_message* reply = nullptr;
    sd_bus_error error = SD_BUS_ERROR_NULL;
    std::string text;
    if (sd_bus_open_system(&bus) < 0) {
        text = "no bus";
    } else if (sd_bus_call_method(bus, std::string(kMachineBusName).c_str(), std::string(kMachineObjectPath).c_str(),
                                  std::string(kMachineInterface).c_str(), method, &error, &reply, "") < 0) {
        text = std::string(error.name) + ": " + (error.message ? error.message : "");
    } else if (std::string_view(method) == "NextFiring") {
        int found = 0;
        const char* line = nullptr;
        int reboot = 0;
        std::int64_t at = 0;
        sd_bus_message_read(reply, "bsbx", &found, &line, &reboot, &at);
        text = std::to_string(found) + "|" + line + "|" + std::to_string(reboot) + "|" + std::to_string(at);
    } else {
        text = "ok";
    }
    (void)!::write(out, text.data(), text.size());
    ::_exit(0);
}

class MachineBusTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* address = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
        const char* private_ = std::getenv("QUELVO_TEST_PRIVATE_SYSTEM_BUS");
        ASSERT_TRUE(address && private_ && std::string(address) == private_) << "not on the driver's private bus";
        m_service = openSystemBus();
        ASSERT_GE(sd_bus_open_system(&m_control), 0);
        mockCall(m_control, kLogindPath, kMock, "Reset", "");
        mockCall(m_control, kLogindPath, kMock, "ClearCalls", "");
        m_bus = std::make_unique<MachineBus>(m_service.get());
        const std::string refused = m_bus->publish({
            .next = [this] { return m_next; },
            .cancel = [this](const std::string& who) { return asked("cancel", who); },
            .postpone = [this](const std::string& who) { return asked("postpone", who); },
            .skip = [this](const std::string& who) { return asked("skip", who); },
        });
        ASSERT_EQ(refused, "");
    }
    void TearDown() override
    {
        m_bus.reset();
        sd_bus_flush_close_unref(m_control);
    }

    MachineReply asked(const std::string& what, const std::string& who)
    {
        m_asked.push_back(what + " by " + who);
        return m_reply;
    }

    // Calls `method` as `uid` and serves the bus until the answer is in; the causes the service
    // woke for meanwhile go to `causes`.
    std::string call(uid_t uid, const char* method, std::vector<WakeCause>* causes = nullptr)
    {
        int pipe[2];
        if (::pipe2(pipe, O_CLOEXEC | O_NONBLOCK) != 0)
            return "no pipe";
        const pid_t child = ::fork();
        if (child == 0)
            callFromChild(uid, method, pipe[1]);
        ::close(pipe[1]);
        EpollWakeSource source({.configFolder = m_home.path("quelvo"), .zoneFolder = m_home.path("zone")});
        source.add(*m_bus);
        const auto giveUp = std::chrono::steady_clock::now() + 20s;
        while (::waitpid(child, nullptr, WNOHANG) == 0 && std::chrono::steady_clock::now() < giveUp) {
            const WakeCause cause = source.wait(std::chrono::system_clock::now() + 20ms);
            if (cause != WakeCause::Timer && causes)
                causes->push_back(cause);
        }
        std::string text(512, '\0');
        const ssize_t n = ::read(pipe[0], text.data(), text.size());
        ::close(pipe[0]);
        text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
        return text;
    }

    test::TempHome m_home;
    BusConnection m_service;
    sd_bus* m_control = nullptr;
    std::unique_ptr<MachineBus> m_bus;
    std::optional<NextFiring> m_next;
    MachineReply m_reply;
    std::vector<std::string> m_asked;
};

TEST_F(MachineBusTest, OnlyRootAndUsersAtTheMachineMayStopACountdown)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "calling as root and as another user needs root";
    struct Session
    {
        uid_t uid;
        const char* name;
        bool active;
        bool remote;
    };
    const struct
    {
        const char* name;
        uid_t caller;
        std::optional<Session> session;
        std::string askedBy; // empty: refused
    } cases[] = {
        {"root, without a session", 0, std::nullopt, "root"},
        {"a user without a session", kNobody, std::nullopt, ""},
        {"a user at the machine", kNobody, Session{kNobody, "nobody", true, false}, "nobody"},
        {"a user whose session is in the background", kNobody, Session{kNobody, "nobody", false, false}, ""},
        {"a user logged in from elsewhere", kNobody, Session{kNobody, "nobody", true, true}, ""},
        {"another user at the machine", kNobody, Session{4242, "alice", true, false}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mockCall(m_control, kLogindPath, kMock, "Reset", "");
        if (c.session) {
            mockCall(m_control, kLogindPath, kMock, "AddSession", "ssusb", "c1", "seat0", c.session->uid,
                     c.session->name, static_cast<int>(c.session->active));
            mockCall(m_control, "/org/freedesktop/login1/session/c1", "org.freedesktop.DBus.Properties", "Set", "ssv",
                     "org.freedesktop.login1.Session", "Remote", "b", static_cast<int>(c.session->remote));
        }
        m_asked.clear();
        std::vector<WakeCause> causes;
        const bool allowed = !c.askedBy.empty();
        EXPECT_EQ(call(c.caller, "Cancel", &causes),
                  allowed ? "ok"
                          : "org.example.quelvo.Machine1.Error.NotAllowed: only root or a user with an active local "
                            "session may do this");
        EXPECT_EQ(m_asked, allowed ? std::vector<std::string>{"cancel by " + c.askedBy} : std::vector<std::string>{});
        // An answered request wakes the service; a refused one does not.
        EXPECT_EQ(causes, allowed ? std::vector{WakeCause::Request} : std::vector<WakeCause>{});
    }
}

TEST_F(MachineBusTest, AnswersWithTheNextFiringAndTheSchedulersRefusal)
{
    m_next = NextFiring{.line = "On Wed at 09:30 AM, Reboot,    Don't repeat",
                        .reboot = true,
                        .at = WallTime(std::chrono::seconds(1704270600))};
    EXPECT_EQ(call(0, "NextFiring"), "1|On Wed at 09:30 AM, Reboot,    Don't repeat|1|1704270600");
    m_next.reset();
    EXPECT_EQ(call(0, "NextFiring"), "0||0|0");
    m_reply = {false, "no countdown is running"};
    EXPECT_EQ(call(0, "Postpone"), "org.example.quelvo.Machine1.Error.Failed: no countdown is running");
    EXPECT_EQ(m_asked, std::vector<std::string>{"postpone by root"});
}

TEST_F(MachineBusTest, WakesWhenLogindSaysTheMachineResumed)
{
    EpollWakeSource source({.configFolder = m_home.path("quelvo"), .zoneFolder = m_home.path("zone")});
    source.add(*m_bus);
    for (const bool sleeping : {true, false}) {
        SCOPED_TRACE(sleeping);
        mockCall(m_control, kLogindPath, kMock, "EmitSignal", "sssav", "org.freedesktop.login1.Manager",
                 "PrepareForSleep", "b", 1, "b", static_cast<int>(sleeping));
        // A resume wakes it at once; the long timer only keeps a busy machine from failing the test.
        EXPECT_EQ(source.wait(std::chrono::system_clock::now() + (sleeping ? 500ms : 10s)),
                  sleeping ? WakeCause::Timer : WakeCause::Resumed);
    }
}

TEST_F(MachineBusTest, AsksLogindToHonourInhibitorsUnlessForced)
{
    const struct
    {
        const char* name;
        bool withFlags; // logind 248 and later
        bool blocked;   // an application holds a block inhibitor on shutdown
        std::int32_t flags;
        std::vector<std::string> calls;
        std::string refusal; // empty: accepted
    } cases[] = {
        {"shutdown", true, false, 8, {"PowerOffWithFlags 1"}, ""},
        {"forced shutdown", true, true, 12, {"PowerOffWithFlags 0"}, ""},
        {"reboot", true, false, 2, {"RebootWithFlags 1"}, ""},
        {"shutdown, old logind", false, false, 8, {"PowerOff false"}, ""},
        {"shutdown, old logind, blocked", false, true, 8, {}, "Applications are blocking shut down: Backup (copying)"},
        {"forced shutdown, old logind, blocked", false, true, 12, {"PowerOff false"}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mockCall(m_control, kLogindPath, kMock, "Reset", "");
        if (c.withFlags) {
            for (const char* method : {"PowerOffWithFlags", "RebootWithFlags"})
                mockCall(m_control, kLogindPath, kMock, "AddMethod", "sssss", "", method, "t", "", "");
        }
        int inhibitor = -1;
        if (c.blocked) {
            sd_bus_message* reply = nullptr;
            ASSERT_GE(sd_bus_call_method(m_control, kLogind, kLogindPath, "org.freedesktop.login1.Manager", "Inhibit",
                                         nullptr, &reply, "ssss", "shutdown", "Backup", "copying", "block"),
                      0);
            int fd = -1;
            sd_bus_message_read(reply, "h", &fd);
            inhibitor = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
            sd_bus_message_unref(reply);
        }
        mockCall(m_control, kLogindPath, kMock, "ClearCalls", "");
        LogindPower power(m_service.get());
        const ExitResult result = power.requestExit(c.flags);
        EXPECT_EQ(result.accepted, c.refusal.empty());
        EXPECT_EQ(result.message, c.refusal);
        EXPECT_EQ(logindCalls(m_control), c.calls);
        if (inhibitor >= 0)
            ::close(inhibitor);
    }
}

} // namespace
} // namespace quelvo
