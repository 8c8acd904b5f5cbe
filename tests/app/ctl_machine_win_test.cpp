#include "app/ctl_machine.h"
#include "app/ctl_rig.h"
#include "platform/windows/locations.h"
#include "platform/windows/wide_text.h"
#include "schedule/next_firing.h"
#include "schedule/schedule_checker.h"

#include <windows.h>

#include <cwchar>
#include <filesystem>
#include <fstream>

// quelvoctl --machine over the real stores under a temporary root folder (under Wine in CI, which
// runs as an administrator): the files in DIR\ProgramData\Quelvo, the settings in a test key of the
// user's registry.
namespace quelvo {
namespace {

using Args = std::vector<std::string>;
using Outcome = test::CtlResult;

const std::string kMon = "On Mon at 07:30 AM, Shut Down, Repeat daily";

struct CtlMachineWinTest : ::testing::Test
{
    CtlMachineWinTest()
    {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        root = toUtf8(temp) + "quelvo-machine-" + std::to_string(::GetCurrentProcessId());
        folder = root + "\\ProgramData\\Quelvo";
    }
    ~CtlMachineWinTest() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(toWide(root), ignored);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, toWide(machineSettingsPlace(root).root).c_str());
    }

    Outcome machine(const Args& args)
    {
        std::istringstream in;
        std::ostringstream out;
        std::ostringstream err;
        CtlContext ctx{userFs, userSettings, clock, "C:\\quelvo", out, err, in};
        ctx.openMachine = openMachineStores;
        ctx.mayChangeMachine = [this] { return administrator; };
        Args all = {"--machine", "--root", root};
        all.insert(all.end(), args.begin(), args.end());
        const int code = runQuelvoctl(all, ctx, scheduleCommands());
        return {code, out.str(), err.str()};
    }

    void write(const std::string& name, const std::string& bytes) const
    {
        std::filesystem::create_directories(toWide(folder));
        std::ofstream(std::filesystem::path(toWide(folder + "\\" + name)), std::ios::binary) << bytes;
    }
    [[nodiscard]] std::string slurp(const std::string& name) const
    {
        std::ifstream file(std::filesystem::path(toWide(folder + "\\" + name)), std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    std::string root;
    std::string folder;
    test::FakeFileSystem userFs;
    test::FakeSettings userSettings;
    test::FakeClock clock;
    bool administrator = true;
};

// HKEY_CURRENT_USER\<key>\Quelvo\data, as an administrator would set it in the machine's key.
void setMachineSetting(const std::string& key, const wchar_t* name, const wchar_t* value)
{
    const std::wstring path = toWide(key + "\\Quelvo\\data");
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), name, REG_SZ, value,
                                static_cast<DWORD>((std::wcslen(value) + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
}

TEST_F(CtlMachineWinTest, AdministratorKeepsTheScheduleInTheFolderWithTheTestKeysSettings)
{
    const Outcome added =
        machine({"add", "--days", "sat", "--hour", "11", "--minute", "59", "--ampm", "PM", "--shutdown"});
    ASSERT_EQ(added.code, kCtlOk) << added.err;
    EXPECT_EQ(slurp("events.ini"), "On Sat at 11:59 PM, Shut Down, Don't repeat\r\n");

    // The machine's settings decide the form of its lines; the user's are not read.
    const RegistryPlace place = machineSettingsPlace(root);
    ASSERT_EQ(place.hive, RegistryHive::CurrentUser);
    ASSERT_EQ(place.root.rfind("Software\\QuelvoTest\\", 0), 0u) << place.root;
    setMachineSetting(place.root, L"24hr", L"True");
    EXPECT_EQ(machine({"add", "--days", "mon", "--hour", "22", "--minute", "0", "--reboot"}).code, kCtlOk);
    EXPECT_EQ(machine({"list", "--raw"}).out,
              "On Sat at 11:59 PM, Shut Down, Don't repeat\nOn Mon at 22:00   , Reboot,    Don't repeat\n");

    // The service's records and history, beside the schedule.
    write("events.ini", kMon + "\r\n");
    const Skip nextMonday{lineKey(kMon), minuteNumber({2026, 12, 14, 7, 30, 0, 1})};
    write("records.ini", "[quelvo/data]\nskips=" + formatSkips({nextMonday}) + "\n");
    const Outcome next = machine({"next"});
    EXPECT_NE(next.out.find("\tskipped\n"), std::string::npos) << next.out << next.err;
    write("history.jsonl", R"({"time":"2026-12-07T07:30:10+01:00","origin":"machine",)"
                           R"("action":"shutdown","line":"x","outcome":"dry-run","who":null})"
                           "\n");
    EXPECT_EQ(machine({"history"}).out, "2026-12-07T07:30:10+01:00\tmachine\tshutdown\tdry-run\tx\n");
}

// The policy's values as Group Policy writes them, below the test key: numbers as REG_DWORD, the
// holidays as REG_SZ; a value of another type is said and left at its default.
TEST_F(CtlMachineWinTest, PolicyShowReadsTheRegistrysPolicyKey)
{
    const std::string key = machinePolicyPlace(root).root + "\\Quelvo";
    ASSERT_EQ(key.rfind(machineSettingsPlace(root).root + "\\", 0), 0u) << key; // gone with the test's key
    const DWORD warn = 20;
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, toWide(key).c_str(), L"warn", REG_DWORD, &warn, sizeof warn),
              ERROR_SUCCESS);
    const std::wstring holidays = L"2026-12-24..2027-01-06";
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, toWide(key).c_str(), L"Holidays", REG_SZ, holidays.c_str(),
                                static_cast<DWORD>((holidays.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, toWide(key).c_str(), L"cancel", REG_SZ, L"False", 12),
              ERROR_SUCCESS);
    setMachineSetting(machineSettingsPlace(root).root, L"postpone", L"30");

    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    CtlContext ctx{userFs, userSettings, clock, "C:\\quelvo", out, err, in};
    ctx.readPolicy = readMachinePolicy;
    EXPECT_EQ(runQuelvoctl({"policy", "show", "--root", root}, ctx, policyCommands()), kCtlOk) << err.str();
    EXPECT_EQ(out.str(), "cancel            default   True\n"
                         "postpones         default   1\n"
                         "postpone_minutes  settings  30\n"
                         "warn              registry  20\n"
                         "holidays          registry  2026-12-24..2027-01-06\n"
                         "user_schedule     default   True\n"
                         "forced            default   False\n"
                         "HKEY_CURRENT_USER\\" +
                             key + ": cancel: is not a number (REG_DWORD)\n");
}

// Whoever the token does not make an administrator is refused before anything is made.
TEST_F(CtlMachineWinTest, OthersMayNotChangeTheSchedule)
{
    administrator = false;
    const Outcome r = machine({"add", "--days", "mon", "--hour", "1", "--minute", "2", "--ampm", "AM", "--reboot"});
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.err, "quelvoctl: only an administrator may change the machine schedule\n");
    EXPECT_FALSE(std::filesystem::exists(toWide(folder)));
}

// The system's own places, and a root folder's: trailing separators and letter case name the same
// one, another folder of the same name another one.
TEST(MachineLocations, OfTheSystemAndUnderARootFolder)
{
    EXPECT_EQ(machineConfigFolder(""), "C:\\ProgramData\\Quelvo");
    EXPECT_EQ(machineSettingsPlace("").hive, RegistryHive::LocalMachine);
    EXPECT_EQ(machineSettingsPlace("").root, "Software");
    EXPECT_EQ(machinePolicyPlace("").hive, RegistryHive::LocalMachine);
    EXPECT_EQ(machinePolicyPlace("").root, "Software\\Policies");
    EXPECT_EQ(machineConfigFolder("C:\\t\\"), "C:\\t\\ProgramData\\Quelvo");
    const std::string key = machineSettingsPlace("C:\\t\\a").root;
    EXPECT_EQ(machineSettingsPlace("c:\\T\\A\\").root, key);
    EXPECT_NE(machineSettingsPlace("C:\\u\\a").root, key);
}

} // namespace
} // namespace quelvo
