#pragma once

#include "app/ctl.h"

#include "fakes/fake_clock.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_settings.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace quelvo::test {

/// How a quelvoctl command ended and what it printed.
struct CtlResult
{
    int code;
    std::string out;
    std::string err;
};

/// quelvoctl's schedule and settings commands over fakes, the schedule in "/opt/quelvo".
struct CtlRig : ::testing::Test
{
    CtlResult run(const std::vector<std::string>& args, const std::string& input = {}, bool interactive = false)
    {
        std::istringstream in(input);
        return runWith(args, in, nullptr, interactive);
    }

    // With any input and output; without an output stream of its own the output is returned.
    CtlResult runWith(const std::vector<std::string>& args, std::istream& in, std::ostream* output,
                      bool interactive = false)
    {
        std::ostringstream out;
        std::ostringstream err;
        CtlContext ctx{fs, settings, clock, "/opt/quelvo", output != nullptr ? *output : out, err, in};
        ctx.interactive = interactive;
        ctx.historyFolder = "/state";
        ctx.policy = [this] { return policy; };
        std::vector<CtlCommand> commands = scheduleCommands();
        const auto more = settingsCommands();
        commands.insert(commands.end(), more.begin(), more.end());
        const int code = runQuelvoctl(args, ctx, commands);
        return {code, out.str(), err.str()};
    }

    FakeFileSystem fs;
    FakeSettings settings;
    FakeClock clock;
    Policy policy; // what the administrator lets the user do
};

} // namespace quelvo::test
