#include "shell/program_options.h"

#include <gtest/gtest.h>

namespace quelvo {
namespace {

// What both tray programs make of their command line.
TEST(ProgramOptions, ReadsEveryOptionOrSaysWhyNot)
{
    struct Case
    {
        std::vector<std::string> args;
        bool dryRun;
        bool show;
        std::string folder;
        int status; // -1: the program runs
        std::string outStart;
        std::string errStart;
    };
    const Case cases[] = {
        {{}, false, false, "", -1, "", ""},
        {{"--dry-run", "--show", "--folder", "C:\\Quelvo data"}, true, true, "C:\\Quelvo data", -1, "", ""},
        {{"--help"}, false, false, "", 0, "usage: quelvo [--dry-run] [--show] [--folder DIR]\n", ""},
        {{"--version"}, false, false, "", 0, "quelvo 2.4.0\n", ""},
        // A folder without its name is no folder.
        {{"--folder"}, false, false, "", 2, "", "quelvo: unknown option --folder\nusage: quelvo"},
        {{"--dry-run", "-x"}, true, false, "", 2, "", "quelvo: unknown option -x\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.empty() ? std::string("(none)") : c.args.back());
        ProgramOptions options;
        const auto done = parseProgramOptions(c.args, options);
        EXPECT_EQ(options.dryRun, c.dryRun);
        EXPECT_EQ(options.show, c.show);
        EXPECT_EQ(options.folder, c.folder);
        ASSERT_EQ(done.has_value(), c.status >= 0);
        if (!done)
            continue;
        EXPECT_EQ(done->status, c.status);
        EXPECT_EQ(done->out.substr(0, c.outStart.size()), c.outStart);
        EXPECT_EQ(done->err.substr(0, c.errStart.size()), c.errStart);
        EXPECT_EQ(done->out.empty(), c.outStart.empty());
    }
}

} // namespace
} // namespace quelvo
