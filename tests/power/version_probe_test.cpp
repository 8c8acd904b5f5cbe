#include "fakes/fake_power.h"
#include "power/version_probe.h"

#include <gtest/gtest.h>

namespace quelvo {
namespace {

using test::FakeVersionQuery;

struct VersionRow
{
    std::uint32_t platform, major, minor;
    const char* name;
};

TEST(VersionProbe, NamesEveryFamilyAndEdge)
{
    const VersionRow rows[] = {
        {1, 4, 0, "Windows95"},
        {1, 4, 10, "Windows98"},
        {1, 4, 90, "WindowsME"},
        {1, 9, 10, "Windows98"}, // the 9x line ignores the major version
        {1, 4, 5, ""},           // unlisted 9x minor: empty, not "unknown"
        {2, 3, 51, "WindowsNT"},
        {2, 4, 0, "WindowsNT"},
        {2, 5, 0, "Windows2000"},
        {2, 5, 1, "WindowsXP"},
        {2, 5, 2, "Windows2000 or XP"},
        {2, 6, 0, "Windows Vista"},
        {2, 6, 1, "Windows Vista"}, // every 6.x counts as Vista
        {2, 6, 2, "Windows Vista"},
        {2, 6, 3, "Windows Vista"},
        {2, 2, 0, ""},
        {2, 7, 0, ""},
        {2, 10, 0, ""},
        {0, 5, 1, "unknown"},
        {3, 6, 0, "unknown"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::to_string(r.platform) + " " + std::to_string(r.major) + "." + std::to_string(r.minor));
        EXPECT_EQ(windowsVersionNameFor(r.platform, r.major, r.minor), r.name);
        FakeVersionQuery query(OsVersion{r.platform, r.major, r.minor});
        EXPECT_EQ(VersionProbe(query).GetWindowsVersionName(), r.name);
    }
}

TEST(VersionProbe, FailedQueryIsUnknownAndNameIsNeverCached)
{
    FakeVersionQuery query;
    query.answer({std::nullopt, OsVersion{2, 5, 1}});
    VersionProbe probe(query);
    EXPECT_EQ(probe.GetWindowsVersionName(), "unknown");
    EXPECT_EQ(probe.GetWindowsVersionName(), "WindowsXP");
    EXPECT_EQ(probe.GetWindowsVersionName(), "WindowsXP");
    EXPECT_EQ(query.queries, 3);
}

TEST(VersionProbe, IsWindowsNTAsksAgainAfterFailureButNeverAfterSuccess)
{
    FakeVersionQuery query;
    query.answer({std::nullopt, std::nullopt, OsVersion{2, 4, 0}, OsVersion{1, 4, 10}});
    VersionProbe probe(query);
    EXPECT_FALSE(probe.IsWindowsNT());
    EXPECT_FALSE(probe.IsWindowsNT());
    EXPECT_EQ(query.queries, 2);
    EXPECT_TRUE(probe.IsWindowsNT());
    EXPECT_TRUE(probe.IsWindowsNT()); // the 9x answer queued next is never asked for
    EXPECT_EQ(query.queries, 3);
}

TEST(VersionProbe, NonNtAnswerIsCachedToo)
{
    FakeVersionQuery query;
    query.answer({OsVersion{1, 4, 0}, OsVersion{2, 5, 1}});
    VersionProbe probe(query);
    EXPECT_FALSE(probe.IsWindowsNT());
    EXPECT_FALSE(probe.IsWindowsNT());
    EXPECT_EQ(query.queries, 1);
}

} // namespace
} // namespace quelvo
