#include "fakes/fake_power.h"
#include "power/dry_run.h"
#include "power/power_commands.h"

#include <gtest/gtest.h>

namespace quelvo {
namespace {

using Lines = std::vector<std::string>;

struct Rig
{
    explicit Rig(std::optional<OsVersion> version) : query(version)
    {
        processes.log = &log;
        privileges.log = &log;
        exit.log = &log;
    }

    test::FakeVersionQuery query;
    test::FakeProcessStarter processes;
    test::FakePrivileges privileges;
    test::FakeExitRequester exit;
    test::FakeSystemMessages messages;
    Lines log;
    VersionProbe probe{query};
    ShutdownService shutdown{probe, {privileges, privileges, exit, messages}, "quelvo"};
    PowerCommands commands{probe, processes, shutdown};
};

constexpr OsVersion kNt4{2, 4, 0};
constexpr OsVersion kXp{2, 5, 1};

TEST(PowerCommands, AskForTheFamilyOncePerCommandAndRunItsCell)
{
    Rig rig(kXp);
    EXPECT_FALSE(rig.commands.DoShutdown().failed);
    EXPECT_EQ(rig.query.queries, 1);
    EXPECT_FALSE(rig.commands.DoForcedShutdown().failed);
    EXPECT_EQ(rig.query.queries, 2);
    EXPECT_EQ(rig.log, (Lines{"run velmorshutdown.exe -u show 6", "run velmorshutdown.exe -u -f show 6"}));
}

TEST(PowerCommands, NtRebootMakesTheDirectRequestEvenWhenTheCompanionIsMissing)
{
    Rig rig(kNt4);
    rig.processes.missing.insert("velmorlogoff.exe -r");
    const PowerOutcome outcome = rig.commands.DoReboot();
    EXPECT_EQ(rig.log, (Lines{"run velmorlogoff.exe -r show 6", "lookup SeShutdownPrivilege", "process",
                              "open 65535 access 40", "adjust 77 id 19:0 attributes 2", "close 77", "exit 2"}));
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.reason, "cannot start \"velmorlogoff.exe -r\": not found");
}

TEST(PowerCommands, RefusedRequestIsSwallowedButVisibleInTheOutcome)
{
    Rig rig(std::nullopt); // the Linux case: unknown family, not NT
    rig.exit.result = {false, 13, "Interactive authentication required."};
    const PowerOutcome outcome = rig.commands.DoForcedShutdown();
    EXPECT_EQ(rig.log, Lines{"exit 8"});
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.reason, "ShutdownSystem failed: Interactive authentication required.");
}

TEST(PowerCommands, BothFailuresOfOneCommandAreReported)
{
    Rig rig(kNt4);
    rig.processes.missing.insert("velmorlogoff.exe -r");
    rig.privileges.failOpen = true;
    const PowerOutcome outcome = rig.commands.DoReboot();
    EXPECT_TRUE(outcome.failed);
    EXPECT_EQ(outcome.reason, "cannot start \"velmorlogoff.exe -r\": not found; Can't enable shutdown: You do not "
                              "have the privileges to shutdown this system. []");
}

TEST(PowerCommands, ACompanionCarryingTheRequestIsWaitedFor)
{
    const struct
    {
        ProcessEnd end;
        CompanionEnd::Kind kind;
        const char* reason;
    } cases[] = {
        {{false, 0}, CompanionEnd::Kind::Succeeded, ""},
        {{false, 1}, CompanionEnd::Kind::Failed, "\"velmorshutdown.exe -u\" ended with status 1"},
        {{true, 0}, CompanionEnd::Kind::StillRunning, ""},
    };
    for (const auto& c : cases) {
        Rig rig(std::nullopt);
        const PowerOutcome outcome = rig.commands.DoShutdown();
        EXPECT_FALSE(outcome.failed);
        ASSERT_TRUE(outcome.companion);
        EXPECT_EQ(rig.processes.waitedMs, 10000);
        std::optional<CompanionEnd> heard;
        outcome.companion->onEnd([&](const CompanionEnd& end) { heard = end; });
        EXPECT_FALSE(heard); // nothing before the companion ends
        rig.processes.ended(c.end);
        ASSERT_TRUE(heard);
        EXPECT_EQ(heard->kind, c.kind);
        EXPECT_EQ(heard->reason, c.reason);
    }
}

TEST(PowerCommands, DryRunPrintsOneLinePerRequest)
{
    test::FakeVersionQuery query; // fails, like on Linux
    test::FakePrivileges privileges;
    test::FakeSystemMessages messages;
    std::string out;
    const auto print = [&out](const std::string& line) { out += line + '\n'; };
    DryRunProcessStarter processes(print);
    DryRunExitRequester exit(print);
    VersionProbe probe(query);
    ShutdownService shutdown(probe, {privileges, privileges, exit, messages}, "quelvo");
    PowerCommands commands(probe, processes, shutdown);

    EXPECT_FALSE(commands.DoShutdown().failed);
    EXPECT_FALSE(commands.DoForcedShutdown().failed);
    EXPECT_FALSE(commands.DoReboot().failed);
    EXPECT_EQ(out, "power: run \"velmorshutdown.exe -u\" show 6\n"
                   "power: ShutdownSystem 8\n"
                   "power: ShutdownSystem 2\n");
    EXPECT_TRUE(privileges.ownLog.empty());
}

} // namespace
} // namespace quelvo
