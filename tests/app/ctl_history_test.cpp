#include "app/ctl.h"

#include "ctl_rig.h"

namespace quelvo {
namespace {

using test::CtlRig;

class CtlHistory : public CtlRig
{
protected:
    const std::string m_old =
        R"({"time":"2026-12-07T23:59:00+01:00","origin":"user","action":"reboot",)"
        R"("line":"On Mon at 11:59 PM, Reboot,    Don't repeat","outcome":"cancelled","who":null})";
    const std::string m_new = R"({"time":"2026-12-08T00:10:00+01:00","origin":"user","action":"shutdown",)"
                              R"("line":"now","outcome":"failed","detail":"refused","who":"alice"})";
};

TEST_F(CtlHistory, ShowsBothFilesOldestFirstAndFiltersByLocalDate)
{
    fs.put("/state/history.jsonl.1", m_old + "\n");
    fs.put("/state/history.jsonl", "not an entry\n" + m_new + "\n");
    const struct
    {
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        {{"history"},
         "2026-12-07T23:59:00+01:00\tuser\treboot\tcancelled\tOn Mon at 11:59 PM, Reboot,    Don't repeat\n"
         "2026-12-08T00:10:00+01:00\tuser\tshutdown\tfailed\tnow\n"},
        {{"history", "--since", "2026-12-08"}, "2026-12-08T00:10:00+01:00\tuser\tshutdown\tfailed\tnow\n"},
        {{"history", "--since", "2026-12-09", "--json"}, "[]\n"},
        {{"history", "--json"}, "[\n  " + m_old + ",\n  " + m_new + "\n]\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const auto r = run(c.args);
        EXPECT_EQ(r.code, kCtlOk);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, "");
    }
}

TEST_F(CtlHistory, ArgumentsAndAMissingHistory)
{
    const auto none = run({"history"});
    EXPECT_EQ(none.code, kCtlOk);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(fs.writes, 0); // reading makes no folder, file or lock
    const struct
    {
        std::vector<std::string> args;
        const char* err;
    } bad[] = {
        {{"history", "--since", "2026-02-29"}, "quelvoctl: --since takes a date as YYYY-MM-DD, not \"2026-02-29\"\n"},
        {{"history", "--since", "2026-1-08"}, "quelvoctl: --since takes a date as YYYY-MM-DD, not \"2026-1-08\"\n"},
        {{"history", "--since"}, "usage: quelvoctl history [--json] [--since YYYY-MM-DD]\n"},
        {{"history", "--json", "--json"}, "usage: quelvoctl history [--json] [--since YYYY-MM-DD]\n"},
        {{"history", "--machine"}, "usage: quelvoctl history [--json] [--since YYYY-MM-DD]\n"},
    };
    for (const auto& c : bad) {
        SCOPED_TRACE(c.args.back());
        const auto r = run(c.args);
        EXPECT_EQ(r.code, kCtlUsage);
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "");
    }
    // A leap year has its 29 February.
    EXPECT_EQ(run({"history", "--since", "2028-02-29"}).code, kCtlOk);
}

} // namespace
} // namespace quelvo
