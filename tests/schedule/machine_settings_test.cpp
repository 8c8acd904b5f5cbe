#include "schedule/machine_settings.h"

#include "fakes/fake_settings.h"

#include <gtest/gtest.h>

namespace quelvo {
namespace {

TEST(MachineSettings, KeepsTheServicesRecordsApartFromRootsConfiguration)
{
    test::FakeSettings config;
    test::FakeSettings records;
    ASSERT_TRUE(config.save("24hr", "True").ok());
    ASSERT_TRUE(config.save("lastfired", "left in the configuration").ok());
    MachineSettings settings(config, records);

    // The records are kept and read apart, whatever the letter case of their names.
    EXPECT_TRUE(settings.save("LastFired", "1796637600 2026-12-07 10:00 0123456789abcdef").ok());
    EXPECT_TRUE(settings.save({{"warned", "1796637600 0123456789abcdef"}}).ok());
    EXPECT_EQ(settings.get("lastfired", ""), "1796637600 2026-12-07 10:00 0123456789abcdef");
    EXPECT_EQ(records.get("warned", ""), "1796637600 0123456789abcdef");
    EXPECT_EQ(config.get("lastfired", ""), "left in the configuration");

    // The configuration is read, never written by the service.
    EXPECT_EQ(settings.get("24hr", ""), "True");
    EXPECT_FALSE(settings.save("24hr", "False").ok());
    EXPECT_EQ(config.get("24hr", ""), "True");
    EXPECT_EQ(records.get("24hr", "none"), "none");

    // A configuration that can't be read is never taken for defaults.
    config.readFailure = "cannot read /etc/quelvo/settings.ini";
    EXPECT_EQ(settings.readState().error, "cannot read /etc/quelvo/settings.ini");
}

} // namespace
} // namespace quelvo
