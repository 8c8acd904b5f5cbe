#include "app/ctl_machine.h"
#include "app/ctl_rig.h"
#include "fakes/temp_home.h"
#include "schedule/next_firing.h"
#include "schedule/schedule_checker.h"

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace quelvo {
namespace {

using Args = std::vector<std::string>;

constexpr const char* kRefused = "quelvoctl: only root may change the machine schedule\n";
const std::string kMon = "On Mon at 07:30 AM, Shut Down, Repeat daily";

using Outcome = test::CtlResult;

// quelvoctl with the user's schedule over fakes and the machine's in real files under a temporary root.
class CtlMachineTest : public ::testing::Test
{
protected:
    Outcome run(const Args& args)
    {
        std::istringstream in;
        std::ostringstream out;
        std::ostringstream err;
        CtlContext ctx{userFs, userSettings, clock, "/opt/quelvo", out, err, in};
        ctx.historyFolder = "/home/ann/.local/state/quelvo";
        ctx.openMachine = openMachineStores;
        ctx.mayChangeMachine = [this] { return root; };
        const int code = runQuelvoctl(args, ctx, scheduleCommands());
        return {code, out.str(), err.str()};
    }

    // quelvoctl --machine --root <the temporary root> ARGS...
    Outcome machine(const Args& args)
    {
        Args all = {"--machine", "--root", home.path("sys")};
        all.insert(all.end(), args.begin(), args.end());
        return run(all);
    }

    [[nodiscard]] std::string at(const std::string& relative) const { return home.path("sys/" + relative); }

    static std::string slurp(const std::string& path)
    {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    static void write(const std::string& path, const std::string& bytes)
    {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static unsigned modeOf(const std::string& path)
    {
        return static_cast<unsigned>(std::filesystem::status(path).permissions());
    }

    test::TempHome home;
    test::FakeFileSystem userFs;
    test::FakeSettings userSettings;
    test::FakeClock clock;
    bool root = true;
};

TEST_F(CtlMachineTest, RootWritesTheMachineScheduleReadableByAllInItsOwnMode)
{
    // Even a root whose umask hides new files leaves the system folders and the schedule readable.
    const mode_t umask = ::umask(077);
    const Outcome added =
        machine({"add", "--days", "sat", "--hour", "11", "--minute", "59", "--ampm", "PM", "--shutdown"});
    ::umask(umask);
    EXPECT_EQ(added.code, kCtlOk) << added.err;
    EXPECT_EQ(slurp(at("etc/quelvo/events.ini")), "On Sat at 11:59 PM, Shut Down, Don't repeat\r\n");
    EXPECT_EQ(modeOf(at("etc")), 0755u);
    EXPECT_EQ(modeOf(at("etc/quelvo")), 0755u);
    EXPECT_EQ(modeOf(at("etc/quelvo/events.ini")), 0644u);

    // The machine's own settings decide the form of its lines; the user's are not read.
    write(at("etc/quelvo/settings.ini"), "[quelvo/data]\n24hr=True\n");
    ASSERT_TRUE(userSettings.save("24hr", "False").ok());
    EXPECT_EQ(machine({"add", "--days", "mon", "--hour", "22", "--minute", "0", "--reboot"}).code, kCtlOk);
    EXPECT_EQ(machine({"list", "--raw"}).out,
              "On Sat at 11:59 PM, Shut Down, Don't repeat\nOn Mon at 22:00   , Reboot,    Don't repeat\n");
    EXPECT_EQ(userFs.writes, 0);
    EXPECT_TRUE(userFs.folders.empty());
}

TEST_F(CtlMachineTest, OnlyRootChangesTheMachineScheduleButEverybodyReadsIt)
{
    write(at("etc/quelvo/events.ini"), kMon + "\r\n");
    write(home.path("import.ini"), "On Tue at 08:00 AM, Reboot,    Don't repeat\r\n");
    root = false;
    for (const Args& args : {Args{"add", "--days", "mon", "--hour", "1", "--minute", "2", "--ampm", "AM", "--reboot"},
                             Args{"delete", "1"}, Args{"clear", "--yes"}, Args{"import", home.path("import.ini")}}) {
        const Outcome r = machine(args);
        EXPECT_EQ(r.code, kCtlFailed) << args[0];
        EXPECT_EQ(r.err, kRefused) << args[0];
    }
    EXPECT_EQ(slurp(at("etc/quelvo/events.ini")), kMon + "\r\n");
    EXPECT_FALSE(std::filesystem::exists(at("etc/quelvo/events.ini.lock")));

    EXPECT_EQ(machine({"export"}).out, kMon + "\r\n");
    EXPECT_EQ(machine({"due", "2026-12-07 07:30"}).code, kCtlOk); // a Monday

    // The service's history, not the user's.
    write(at("var/lib/quelvo/history.jsonl"), R"({"time":"2026-12-07T07:30:10+00:00","origin":"machine",)"
                                              R"("action":"shutdown","line":"x","outcome":"dry-run","who":null})"
                                              "\n");
    userFs.put("/home/ann/.local/state/quelvo/history.jsonl", R"({"time":"2026-12-07T08:00:00+00:00"})"
                                                              "\n");
    EXPECT_EQ(machine({"history"}).out, "2026-12-07T07:30:10+00:00\tmachine\tshutdown\tdry-run\tx\n");
}

TEST_F(CtlMachineTest, MachineOptionsAreRefusedOutOfPlace)
{
    const struct
    {
        Args args;
        std::string err;
    } cases[] = {
        {{"--root", "/srv", "list"}, "quelvoctl: --root goes with --machine\n"},
        {{"--machine", "--folder", "/opt", "list"}, "quelvoctl: --folder names a user's schedule, not the machine's\n"},
        // Skips and quick actions belong to a user at a desk.
        {{"--machine", "skip", "1"}, "quelvoctl: skip does not work on the machine schedule\n"},
    };
    for (const auto& c : cases) {
        const Outcome r = run(c.args);
        EXPECT_EQ(r.code, kCtlUsage) << c.args[0];
        EXPECT_EQ(r.err, c.err);
    }
}

TEST_F(CtlMachineTest, NextSeesTheSkipsTheServiceRecorded)
{
    // The service keeps its skips in its state folder; root's settings.ini holds none.
    write(at("etc/quelvo/events.ini"), kMon + "\r\n");
    write(at("etc/quelvo/settings.ini"), "[quelvo/data]\n24hr=False\n");
    const Skip nextMonday{lineKey(kMon), minuteNumber({2026, 12, 14, 7, 30, 0, 1})};
    write(at("var/lib/quelvo/records.ini"), "[quelvo/data]\nskips=" + formatSkips({nextMonday}) + "\n");
    const Outcome r = machine({"next"});
    EXPECT_EQ(r.code, kCtlOk) << r.err;
    EXPECT_NE(r.out.find("\tskipped\n"), std::string::npos) << r.out;
}

} // namespace
} // namespace quelvo
