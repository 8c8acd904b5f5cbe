#include "app/companion.h"
#include "power/power_table.h"

#include <gtest/gtest.h>

namespace quelvo {
namespace {

using Args = std::vector<std::string>;

TEST(Companion, AcceptedSwitchesAndTheirRequests)
{
    using R = CompanionRequest;
    EXPECT_EQ(parseCompanionArgs(Companion::Shutdown, {"-u"}), (R{kExitPowerOff, false}));
    EXPECT_EQ(parseCompanionArgs(Companion::Shutdown, {"-u", "-f"}), (R{kExitPowerOff | kExitForce, false}));
    EXPECT_EQ(parseCompanionArgs(Companion::Shutdown, {"-f", "-u", "--dry-run"}),
              (R{kExitPowerOff | kExitForce, true}));
    EXPECT_EQ(parseCompanionArgs(Companion::Logoff, {"--dry-run", "-p"}), (R{kExitPowerOff, true}));
    EXPECT_EQ(parseCompanionArgs(Companion::Logoff, {"-r"}), (R{kExitReboot, false}));
}

TEST(Companion, EverythingElseIsRejected)
{
    const Args shutdownBad[] = {{}, {"-f"}, {"-u", "-u"}, {"-U"}, {"-u", "-f", "-x"}, {"-p"}, {"--dry-run"}};
    for (const auto& args : shutdownBad)
        EXPECT_FALSE(parseCompanionArgs(Companion::Shutdown, args)) << ::testing::PrintToString(args);
    const Args logoffBad[] = {{}, {"-p", "-r"}, {"-u"}, {"-r", "-f"}, {"p"}};
    for (const auto& args : logoffBad)
        EXPECT_FALSE(parseCompanionArgs(Companion::Logoff, args)) << ::testing::PrintToString(args);
}

} // namespace
} // namespace quelvo
