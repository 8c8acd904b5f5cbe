// Runs only under logind_mock.py, which starts a private bus with a mock logind on it.
#include "fakes/fake_power.h"
#include "platform/linux/logind_exit_requester.h"
#include "power/shutdown_system.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>

namespace quelvo {
namespace {

using Calls = std::vector<std::string>;

/// The mock logind's control interface.
class MockLogind
{
public:
    QDBusMessage control(const QString& method, const QVariantList& args = {}) const
    {
        QDBusMessage message = QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                                              "org.freedesktop.DBus.Mock", method);
        message.setArguments(args);
        return QDBusConnection::systemBus().call(message);
    }

    void addMethod(const QString& name, const QString& inSignature, const QString& code = {},
                   const QString& outSignature = {}) const
    {
        const auto reply = control("AddMethod", {QString(), name, inSignature, outSignature, code});
        ASSERT_NE(reply.type(), QDBusMessage::ErrorMessage) << reply.errorMessage().toStdString();
    }

    /// Every request logind received since the last reset, as "Method arg arg"; reading the
    /// inhibitors is no request and is left out.
    [[nodiscard]] Calls calls() const
    {
        const QDBusMessage reply = control("GetCalls");
        Calls calls;
        if (reply.type() == QDBusMessage::ErrorMessage || reply.arguments().isEmpty())
            return {"GetCalls failed: " + reply.errorMessage().toStdString()};
        const auto log = reply.arguments().at(0).value<QDBusArgument>();
        log.beginArray();
        while (!log.atEnd()) {
            quint64 time = 0;
            QString method;
            log.beginStructure();
            log >> time >> method;
            std::string line = method.toStdString();
            log.beginArray();
            while (!log.atEnd()) {
                QDBusVariant arg;
                log >> arg;
                line += " " + arg.variant().toString().toStdString();
            }
            log.endArray();
            log.endStructure();
            if (method != "ListInhibitors")
                calls.push_back(line);
        }
        log.endArray();
        return calls;
    }
};

class LogindExitRequesterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Back to the bare template, which (like logind before v248) has no *WithFlags methods.
        ASSERT_NE(logind.control("Reset").type(), QDBusMessage::ErrorMessage);
        ASSERT_NE(logind.control("ClearCalls").type(), QDBusMessage::ErrorMessage);
    }

    void addWithFlagsMethods() const
    {
        logind.addMethod("PowerOffWithFlags", "t");
        logind.addMethod("RebootWithFlags", "t");
    }

    MockLogind logind;
};

TEST_F(LogindExitRequesterTest, RebootAndPowerOffRespectInhibitorsUnlessForced)
{
    struct Case
    {
        std::int32_t flags;
        const char* call;
    };
    const Case cases[] = {
        {2, "RebootWithFlags 1"},        {2 | 4, "RebootWithFlags 0"}, {2 | 16, "RebootWithFlags 0"},
        {2 | 8, "RebootWithFlags 1"}, // the reboot bit wins
        {8, "PowerOffWithFlags 1"},      {1, "PowerOffWithFlags 1"},   {8 | 4, "PowerOffWithFlags 0"},
        {1 | 16, "PowerOffWithFlags 0"}, {31, "RebootWithFlags 0"},
    };
    addWithFlagsMethods();
    LogindExitRequester requester("");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        ASSERT_NE(logind.control("ClearCalls").type(), QDBusMessage::ErrorMessage);
        const ExitResult result = requester.requestExit(c.flags);
        EXPECT_TRUE(result.accepted) << result.message;
        EXPECT_EQ(logind.calls(), Calls{c.call});
    }
}

TEST_F(LogindExitRequesterTest, ForcedIgnoresBlockInhibitorsWherePermittedAndPlainRespectsThem)
{
    // The inhibitors logind lists: (what, who, why, mode, uid, pid).
    const auto held = [](const QString& what, const QString& mode) {
        return "('" + what + "', 'Disc burner', 'Burning a disc', '" + mode + "', 1000, 4321), ";
    };
    // polkit will not grant "-ignore-inhibit" to a caller that may not ask interactively.
    const QString polkitRefuses = "raise dbus.exceptions.DBusException('Interactive authentication required.', "
                                  "name='org.freedesktop.DBus.Error.InteractiveAuthorizationRequired')";
    const struct
    {
        std::int32_t flags;
        QString inhibitors;
        QString logind;      // the *WithFlags methods' code; empty: accept
        const char* message; // empty: accepted
        Calls calls;
    } cases[] = {
        // Forced, and polkit lets the request past the burner.
        {8 | 4, held("shutdown", "block"), {}, "", {"PowerOffWithFlags 0"}},
        // Forced, and polkit refuses: the plain request stops at the burner, and says both.
        {8 | 4,
         held("shutdown", "block"),
         polkitRefuses,
         "Applications are blocking shut down and forcing it is not permitted: Disc burner (Burning a disc)",
         {"PowerOffWithFlags 0"}},
        // Plain: refused before logind is asked, which would let the user's own applications pass.
        {8, held("shutdown", "block"), {}, "Applications are blocking shut down: Disc burner (Burning a disc)", {}},
        {2, held("sleep:shutdown", "block"), {}, "Applications are blocking restart: Disc burner (Burning a disc)", {}},
        // Delaying a shutdown, or blocking only sleep, holds no shutdown up.
        {8, held("shutdown", "delay") + held("sleep", "block"), {}, "", {"PowerOffWithFlags 1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        ASSERT_NE(logind.control("Reset").type(), QDBusMessage::ErrorMessage);
        logind.addMethod("ListInhibitors", "", "ret = [" + c.inhibitors + "]", "a(ssssuu)");
        logind.addMethod("PowerOffWithFlags", "t", c.logind);
        logind.addMethod("RebootWithFlags", "t", c.logind);
        ASSERT_NE(logind.control("ClearCalls").type(), QDBusMessage::ErrorMessage);

        const ExitResult result = LogindExitRequester("").requestExit(c.flags);
        EXPECT_EQ(result.accepted, std::string(c.message).empty());
        EXPECT_EQ(result.message, c.message);
        EXPECT_EQ(logind.calls(), c.calls);
    }
}

TEST_F(LogindExitRequesterTest, LogoffEndsTheGivenOrTheCallersSession)
{
    addWithFlagsMethods();
    EXPECT_TRUE(LogindExitRequester("c7").requestExit(0).accepted);
    EXPECT_TRUE(LogindExitRequester("").requestExit(4).accepted);
    EXPECT_EQ(logind.calls(), (Calls{"TerminateSession c7", "TerminateSession "}));
}

TEST_F(LogindExitRequesterTest, OldLogindWithoutFlagsMethodsGetsTheNonInteractiveOnes)
{
    LogindExitRequester requester("");
    EXPECT_TRUE(requester.requestExit(8).accepted);
    EXPECT_TRUE(requester.requestExit(2 | 4).accepted);
    EXPECT_EQ(logind.calls(), (Calls{"PowerOff false", "Reboot false"}));
}

TEST_F(LogindExitRequesterTest, RefusalComesBackWithLogindsMessageAndBecomesError1579)
{
    logind.addMethod("PowerOffWithFlags", "t",
                     "raise dbus.exceptions.DBusException('Operation not permitted by policy', "
                     "name='org.freedesktop.DBus.Error.AccessDenied')");
    LogindExitRequester requester("");
    const ExitResult refused = requester.requestExit(8);
    EXPECT_FALSE(refused.accepted);
    EXPECT_EQ(refused.errorCode, static_cast<std::uint32_t>(EACCES));
    EXPECT_EQ(refused.message, "Operation not permitted by policy");

    test::FakeVersionQuery query; // Linux: not NT, no privilege step
    test::FakePrivileges privileges;
    test::FakeSystemMessages messages;
    VersionProbe probe(query);
    ShutdownService service(probe, {privileges, privileges, requester, messages}, "quelvo");
    try {
        service.ShutdownSystem(8);
        ADD_FAILURE() << "a refused request must raise";
    } catch (const ShutdownError& error) {
        EXPECT_EQ(error.number(), 0x8004062BU);
        EXPECT_EQ(error.description(), "ShutdownSystem failed: Operation not permitted by policy");
    }
    // A refusal is final: the old method is not tried behind its back.
    EXPECT_EQ(logind.calls(), (Calls{"PowerOffWithFlags 1", "PowerOffWithFlags 1"}));
}

// Refuses unless the system bus is the private one the driver started and logind there is the mock.
bool onPrivateMockBus()
{
    const char* address = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    const char* expected = std::getenv("QUELVO_TEST_PRIVATE_SYSTEM_BUS");
    if (address == nullptr || expected == nullptr || std::string(address) != expected ||
        std::string(address).find("quelvo-logind-") == std::string::npos) {
        std::cerr << "refusing to run: DBUS_SYSTEM_BUS_ADDRESS is not the private test bus "
                     "(run this through logind_mock.py)\n";
        return false;
    }
    const QDBusMessage reply = MockLogind().control("ClearCalls");
    if (reply.type() == QDBusMessage::ErrorMessage) {
        std::cerr << "refusing to run: login1 on the test bus is not the mock: " << reply.errorMessage().toStdString()
                  << '\n';
        return false;
    }
    return true;
}

} // namespace
} // namespace quelvo

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    if (!quelvo::onPrivateMockBus())
        return 1;
    return RUN_ALL_TESTS();
}
