#include "fakes/fake_power.h"
#include "power/power_backend.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace quelvo {
namespace {

// Hands out fakes; counts how often the real starter and requester were asked for.
class FakePlatform final : public PowerPlatform
{
public:
    FakePlatform(std::optional<OsVersion> version, std::vector<std::string>& log) : m_version(version), m_log(log)
    {
        m_privileges.log = &log;
    }
    const VersionQuery& version() override { return m_version; }
    PrivilegeLookup& privileges() override { return m_privileges; }
    TokenOperations& tokens() override { return m_privileges; }
    const SystemMessages& messages() override { return m_messages; }
    std::unique_ptr<ProcessStarter> makeProcessStarter() override
    {
        m_log.push_back("made starter");
        auto starter = std::make_unique<test::FakeProcessStarter>();
        starter->log = &m_log;
        return starter;
    }
    std::unique_ptr<ExitRequester> makeExitRequester() override
    {
        m_log.push_back("made requester");
        auto requester = std::make_unique<test::FakeExitRequester>();
        requester->log = &m_log;
        return requester;
    }
    [[nodiscard]] ForcedShutdownRequest forcedShutdownRequest() const override
    {
        return ForcedShutdownRequest::IgnoringInhibitors;
    }

private:
    test::FakeVersionQuery m_version;
    test::FakePrivileges m_privileges;
    test::FakeSystemMessages m_messages;
    std::vector<std::string>& m_log;
};

// A countdown's request, through the dry run: one line per request (the forced one as the platform
// makes it), an outcome that says so, and no real starter or requester made.
TEST(PowerBackend, DryRunReportsOneLinePerRequestAndMakesNoRealOnes)
{
    std::vector<std::string> log;
    std::string out;
    PowerBackend backend(
        std::make_unique<FakePlatform>(std::nullopt, log), true,
        [&out](const std::string& line) { out += line + '\n'; }, "quelvo");

    EXPECT_TRUE(backend.dryRun());
    for (const auto& [reboot, forced] : {std::pair{false, false}, std::pair{false, true}, std::pair{true, true}}) {
        const PowerOutcome outcome = requestPower(backend.commands(), reboot, forced, backend.dryRun());
        EXPECT_FALSE(outcome.failed);
        EXPECT_TRUE(outcome.simulated);
    }
    EXPECT_EQ(out, "power: run \"velmorshutdown.exe -u\" show 6\n"
                   "power: ShutdownSystem 12\n"
                   "power: ShutdownSystem 2\n");
    EXPECT_TRUE(log.empty());
}

TEST(PowerBackend, RealRequestsGoToThePlatformsObjects)
{
    std::vector<std::string> log;
    std::string out;
    PowerBackend backend(
        std::make_unique<FakePlatform>(OsVersion{2, 6, 0}, log), false,
        [&out](const std::string& line) { out += line; }, "quelvo.exe");

    EXPECT_FALSE(backend.commands().DoForcedShutdown().failed);
    EXPECT_FALSE(backend.commands().DoReboot().failed);
    EXPECT_EQ(log, (std::vector<std::string>{"made starter", "made requester", "run velmorshutdown.exe -u -f show 6",
                                             "lookup SeShutdownPrivilege", "process", "open 65535 access 40",
                                             "adjust 77 id 19:0 attributes 2", "close 77", "exit 2"}));
    EXPECT_EQ(out, "");
    EXPECT_EQ(backend.probe().GetWindowsVersionName(), "Windows Vista");
}

} // namespace
} // namespace quelvo
