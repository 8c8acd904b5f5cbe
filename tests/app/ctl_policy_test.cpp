#include "app/ctl_rig.h"

#ifndef _WIN32
#include "app/ctl_machine.h"
#include "fakes/temp_home.h"

#include <filesystem>
#include <fstream>
#endif

namespace quelvo {
namespace {

// quelvoctl policy over fakes; `show` reads the policy through the real stores below.
struct CtlPolicyTest : test::CtlRig
{
    test::CtlResult policy(const std::vector<std::string>& args)
    {
        std::istringstream in;
        std::ostringstream out;
        std::ostringstream err;
        CtlContext ctx{fs, settings, clock, "/opt/quelvo", out, err, in};
#ifndef _WIN32
        ctx.readPolicy = readMachinePolicy;
#endif
        std::vector<std::string> all = {"policy"};
        all.insert(all.end(), args.begin(), args.end());
        const int code = runQuelvoctl(all, ctx, policyCommands());
        return {code, out.str(), err.str()};
    }
};

TEST_F(CtlPolicyTest, CheckSaysAFileIsValidOrNamesEachProblemByLine)
{
    const struct
    {
        const char* text; // nullptr: no file
        int code;
        std::string out;
        std::string err;
    } cases[] = {
        {"# the lab\n[policy]\ncancel=False\nholidays=2026-12-24..2027-01-06\n", 0, "/etc/p.ini: policy is valid\n",
         ""},
        {"", 0, "/etc/p.ini: policy is valid\n", ""},
        {"[policy]\r\nwarn=200\r\n\r\ncancel=no\r\nnoise\r\n", 2, "",
         "/etc/p.ini:2: warn: 200 is out of range (0 to 120)\n/etc/p.ini:4: cancel: \"no\" is neither True nor "
         "False\n/etc/p.ini:5: neither a section header nor key=value\n"},
        {nullptr, 3, "", "quelvoctl: /etc/none.ini: no such file\n"},
    };
    for (const auto& c : cases) {
        if (c.text != nullptr)
            fs.put("/etc/p.ini", c.text);
        const test::CtlResult r = policy({"check", c.text != nullptr ? "/etc/p.ini" : "/etc/none.ini"});
        EXPECT_EQ(r.code, c.code) << c.out << c.err;
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
    }
    EXPECT_EQ(policy({"check"}).code, kCtlUsage);
    EXPECT_EQ(policy({"check", "a", "b"}).code, kCtlUsage);
    EXPECT_EQ(policy({"show", "--json", "--json"}).code, kCtlUsage);
}

#ifndef _WIN32
// The files below a root folder of the test's own: policy.ini beside the machine's settings.ini.
TEST_F(CtlPolicyTest, ShowGivesEachValueWithItsOriginThenTheProblems)
{
    test::TempHome home;
    const std::string config = home.path("sys/etc/quelvo");
    std::filesystem::create_directories(config);
    std::ofstream(config + "/settings.ini") << "[quelvo/data]\npostpone=30\nwarn=3\n";
    std::ofstream(config + "/policy.ini") << "[policy]\nwarn=20\ncancel=yes\nholidays=2026-12-24..2027-01-06\n";

    const test::CtlResult shown = policy({"show", "--root", home.path("sys")});
    EXPECT_EQ(shown.code, kCtlOk) << shown.err;
    EXPECT_EQ(shown.out, "cancel            default   True\n"
                         "postpones         default   1\n"
                         "postpone_minutes  settings  30\n"
                         "warn              file      20\n"
                         "holidays          file      2026-12-24..2027-01-06\n"
                         "user_schedule     default   True\n"
                         "forced            default   False\n" +
                             config + "/policy.ini:3: cancel: \"yes\" is neither True nor False\n");

    std::ofstream(config + "/policy.ini") << "[policy]\nforced=True\nholidays=2026-05-01,2026-12-24..2026-12-26\n";
    std::filesystem::remove(config + "/settings.ini");
    EXPECT_EQ(policy({"--json", "show", "--root", home.path("sys")}).code, kCtlUsage);
    EXPECT_EQ(
        policy({"show", "--json", "--root", home.path("sys")}).out,
        "{\"place\": \"" + config +
            "/policy.ini\", \"keys\": [{\"key\": \"cancel\", \"value\": true, \"from\": \"default\"}, "
            "{\"key\": \"postpones\", \"value\": 1, \"from\": \"default\"}, "
            "{\"key\": \"postpone_minutes\", \"value\": 15, \"from\": \"default\"}, "
            "{\"key\": \"warn\", \"value\": 10, \"from\": \"default\"}, "
            "{\"key\": \"holidays\", \"value\": [\"2026-05-01\", \"2026-12-24..2026-12-26\"], \"from\": \"file\"}, "
            "{\"key\": \"user_schedule\", \"value\": true, \"from\": \"default\"}, "
            "{\"key\": \"forced\", \"value\": true, \"from\": \"file\"}], \"problems\": []}\n");

    // A policy that cannot be read is said, and every default applies.
    std::filesystem::remove(config + "/policy.ini");
    std::filesystem::create_directory(config + "/policy.ini");
    const test::CtlResult unreadable = policy({"show", "--root", home.path("sys")});
    EXPECT_NE(unreadable.out.find("forced            default   False\n" + config + "/policy.ini: "), std::string::npos)
        << unreadable.out;
    EXPECT_NE(unreadable.out.find("; none of its keys apply\n"), std::string::npos) << unreadable.out;
}
#endif

} // namespace
} // namespace quelvo
