#include "app/ctl.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_power.h"
#include "fakes/fake_settings.h"
#include "platform/linux/posix_file_system.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quelvo {
namespace {

struct CtlRun
{
    int code;
    std::string out;
    std::string err;
};

CtlRun quelvoctl(const std::vector<std::string>& args, const VersionQuery* version)
{
    PosixFileSystem fs;
    test::FakeSettings settings;
    test::FakeClock clock;
    std::ostringstream out;
    std::ostringstream err;
    std::istringstream in;
    CtlContext ctx{fs, settings, clock, "/nonexistent", out, err, in};
    ctx.versionQuery = version;
    const int code = runQuelvoctl(args, ctx, powerCommands());
    return {code, out.str(), err.str()};
}

TEST(CtlPower, VersionNameOfThisMachine)
{
    const test::FakeVersionQuery failing;
    EXPECT_EQ(quelvoctl({"version-name"}, &failing).out, "unknown\n");
    EXPECT_EQ(quelvoctl({"version-name"}, nullptr).out, "unknown\n");
    const test::FakeVersionQuery vista(OsVersion{2, 6, 1});
    EXPECT_EQ(quelvoctl({"version-name"}, &vista).out, "Windows Vista\n");
    EXPECT_EQ(quelvoctl({"version-name", "extra"}, &vista).code, kCtlUsage);
}

TEST(CtlPower, PlanOnThisMachineAndOnANamedFamily)
{
    const test::FakeVersionQuery thisMachine;
    CtlRun run = quelvoctl({"power-plan", "forced"}, &thisMachine);
    EXPECT_EQ(run.code, kCtlOk);
    EXPECT_EQ(run.out, "power: ShutdownSystem 8\n");

    run = quelvoctl({"power-plan", "--version-name", "WindowsNT", "reboot"}, &thisMachine);
    EXPECT_EQ(run.out, "power: run \"velmorlogoff.exe -r\" show 6\npower: ShutdownSystem 2\n");
    run = quelvoctl({"power-plan", "shutdown", "--version-name", "Windows95"}, &thisMachine);
    EXPECT_EQ(run.out, "power: run \"rundll32 user,exitwindows\" show 2\n");
    // An empty name is a name too: the catch-all row.
    run = quelvoctl({"power-plan", "--version-name", "", "shutdown"}, &thisMachine);
    EXPECT_EQ(run.out, "power: run \"velmorshutdown.exe -u\" show 6\n");
}

TEST(CtlPower, PlanRejectsBadArguments)
{
    const test::FakeVersionQuery thisMachine;
    for (const auto& args : std::vector<std::vector<std::string>>{{"power-plan"},
                                                                  {"power-plan", "halt"},
                                                                  {"power-plan", "reboot", "reboot"},
                                                                  {"power-plan", "--version-name"},
                                                                  {"power-plan", "reboot", "--version-name"}}) {
        const CtlRun run = quelvoctl(args, &thisMachine);
        EXPECT_EQ(run.code, kCtlUsage) << args.back();
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("usage: quelvoctl power-plan"), std::string::npos);
    }
}

} // namespace
} // namespace quelvo
