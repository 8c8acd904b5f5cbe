#include "fakes/fake_power.h"
#include "power/shutdown_system.h"

#include <gtest/gtest.h>

#include <functional>

namespace quelvo {
namespace {

using Lines = std::vector<std::string>;

/// One ShutdownService over fakes that share a single call log.
struct Rig
{
    explicit Rig(std::optional<OsVersion> version = OsVersion{2, 5, 1}) : query(version)
    {
        privileges.log = &log;
        exit.log = &log;
    }

    test::FakeVersionQuery query;
    test::FakePrivileges privileges;
    test::FakeExitRequester exit;
    test::FakeSystemMessages messages;
    Lines log;
    VersionProbe probe{query};
    ShutdownService service{probe, {privileges, privileges, exit, messages}, "/opt/quelvo/quelvo"};
};

/// The error a call raises; fails the test when it raises none.
ShutdownError errorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const ShutdownError& error) {
        return error;
    }
    ADD_FAILURE() << "no ShutdownError raised";
    return {0, {}, {}};
}

TEST(ShutdownSystem, RejectsFlagsOutsideZeroToThirtyOneWithoutAnyPlatformCall)
{
    for (const std::int32_t flags : {-1, 32, -2147483647 - 1, 2147483647}) {
        Rig rig;
        const auto error = errorOf([&] { rig.service.ShutdownSystem(flags); });
        EXPECT_EQ(error.number(), 0x8004062FU);
        EXPECT_EQ(error.description(), "Invalid parameter to ShutdownSystem: " + std::to_string(flags));
        EXPECT_EQ(error.source(), "quelvo.mShutDown");
        EXPECT_TRUE(rig.log.empty());
        EXPECT_EQ(rig.query.queries, 0);
    }
}

TEST(ShutdownSystem, AcceptsBoundsAndPassesFlagsThrough)
{
    for (const std::int32_t flags : {0, 31}) {
        Rig rig(OsVersion{1, 4, 10});
        EXPECT_TRUE(rig.service.ShutdownSystem(flags));
        EXPECT_EQ(rig.log, Lines{"exit " + std::to_string(flags)});
    }
}

TEST(ShutdownSystem, EnablesThePrivilegeFirstOnNtOnly)
{
    Rig nt;
    EXPECT_TRUE(nt.service.ShutdownSystem(2));
    EXPECT_EQ(nt.log, (Lines{"lookup SeShutdownPrivilege", "process", "open 65535 access 40",
                             "adjust 77 id 19:0 attributes 2", "close 77", "exit 2"}));

    // A failed version query is not NT: the exit call is made directly.
    for (const auto& version : {std::optional<OsVersion>{OsVersion{1, 4, 90}}, std::optional<OsVersion>{}}) {
        Rig other(version);
        EXPECT_TRUE(other.service.ShutdownSystem(8));
        EXPECT_EQ(other.log, Lines{"exit 8"});
    }
}

TEST(ShutdownSystem, RefusedExitRaises1579WithTheSystemTextOrTheSystemsOwnMessage)
{
    Rig rig;
    rig.exit.result = {false, 1314, {}};
    rig.messages.texts[1314] = "A required privilege is not held by the client.\r\n";
    auto error = errorOf([&] { rig.service.ShutdownSystem(2); });
    EXPECT_EQ(error.number(), 0x8004062BU);
    EXPECT_EQ(error.description(), "ShutdownSystem failed: A required privilege is not held by the client.\r\n");

    rig.messages.texts.clear();
    error = errorOf([&] { rig.service.ShutdownSystem(2); });
    EXPECT_EQ(error.description(), "ShutdownSystem failed: ");

    // logind words its refusal itself; that text wins over the code's generic one.
    rig.exit.result = {false, 13, "Access denied by policy"};
    rig.messages.texts[13] = "Permission denied";
    error = errorOf([&] { rig.service.ShutdownSystem(8); });
    EXPECT_EQ(error.description(), "ShutdownSystem failed: Access denied by policy");
}

struct PrivilegeFailure
{
    const char* what;
    std::function<void(test::FakePrivileges&)> arrange;
    std::uint32_t number;
    const char* reason;
    Lines calls;
};

TEST(ShutdownSystem, PrivilegeFailuresRaiseTheirErrorAndSkipTheExitCall)
{
    const PrivilegeFailure failures[] = {
        {"lookup",
         [](auto& p) { p.failLookup = true; },
         0x8004062C,
         "Can't find the SE_SHUTDOWN_NAME privilege value.",
         {"lookup SeShutdownPrivilege"}},
        {"process",
         [](auto& p) { p.process = 0; },
         0x8004062D,
         "Can't determine the current process.",
         {"lookup SeShutdownPrivilege", "process"}},
        {"open",
         [](auto& p) { p.failOpen = true; },
         0x8004062E,
         "You do not have the privileges to shutdown this system.",
         {"lookup SeShutdownPrivilege", "process", "open 65535 access 40"}},
        // The token is closed before the error is raised.
        {"adjust",
         [](auto& p) { p.failAdjust = true; },
         0x8004062E,
         "You do not have the privileges to shutdown this system.",
         {"lookup SeShutdownPrivilege", "process", "open 65535 access 40", "adjust 77 id 19:0 attributes 2",
          "close 77"}},
    };
    for (const auto& f : failures) {
        for (const bool withText : {true, false}) {
            SCOPED_TRACE(std::string(f.what) + (withText ? " with text" : " without text"));
            Rig rig;
            f.arrange(rig.privileges);
            rig.privileges.lastError = 1300;
            if (withText)
                rig.messages.texts[1300] = "Not all privileges referenced are assigned to the caller.\r\n";
            const auto error = errorOf([&] { rig.service.ShutdownSystem(2); });
            EXPECT_EQ(error.number(), f.number);
            EXPECT_EQ(error.source(), "quelvo.mShutDown");
            const std::string text = withText ? "Not all privileges referenced are assigned to the caller.\r\n" : "";
            EXPECT_EQ(error.description(), "Can't enable shutdown: " + std::string(f.reason) + " [" + text + "]");
            EXPECT_EQ(rig.log, f.calls);
        }
    }
}

TEST(ShutdownSystem, EnableShutdownPrivilegeClosesTheTokenOnSuccess)
{
    Rig rig;
    EXPECT_TRUE(rig.service.EnableShutdownPrivilege());
    ASSERT_FALSE(rig.log.empty());
    EXPECT_EQ(rig.log.back(), "close 77");
}

TEST(ShutdownSystem, ErrorSourceIsTheExecutableNameWithoutExtension)
{
    EXPECT_EQ(errorSourceFor("quelvo"), "quelvo.mShutDown");
    EXPECT_EQ(errorSourceFor("C:\\Program Files\\Quelvo\\quelvo.exe"), "quelvo.mShutDown");
    EXPECT_EQ(errorSourceFor("/usr/bin/velmorshutdown"), "velmorshutdown.mShutDown");
    EXPECT_EQ(errorSourceFor("my.tool.bin"), "my.tool.mShutDown"); // only the last extension goes
    EXPECT_EQ(errorSourceFor(".hidden"), ".hidden.mShutDown");
}

TEST(ShutdownSystem, SystemErrorTextIsThePlatformTextUnchangedOrEmpty)
{
    Rig rig;
    rig.messages.texts[5] = "Access is denied.\r\n";
    EXPECT_EQ(rig.service.SystemErrorText(5), "Access is denied.\r\n");
    EXPECT_EQ(rig.service.SystemErrorText(6), "");
}

} // namespace
} // namespace quelvo
