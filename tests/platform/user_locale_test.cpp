#include "platform/linux/system_clock.h"
#include "schedule/clock_mode.h"

#include "fakes/temp_home.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

// glibc's newlocale keeps its copy of LOCPATH's folder list for good; that is the C library's, not ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:__argz_add_sep\n";
}

namespace quelvo {
namespace {

// The first-start clock test over real locales, built by localedef into a private LOCPATH so the
// machine's own set does not matter.
TEST(UserLocale, FirstStartFollowsTheLocalesOwnDesignators)
{
    test::TempHome home;
    const std::string locales = home.path("locales");
    std::filesystem::create_directories(locales);
    const struct
    {
        const char* name;
        DayHalves halves;
        bool twentyFour;
    } cases[] = {
        {"de_DE", {"", ""}, true},
        {"fr_FR", {"", ""}, true},
        {"en_US", {"AM", "PM"}, false},
    };
    for (const auto& c : cases) {
        const std::string target = locales + "/" + c.name + ".UTF-8";
        const std::string build = std::string("localedef -c -i ") + c.name + " -f UTF-8 " + target + " >/dev/null 2>&1";
        if (std::system(build.c_str()) != 0 && !std::filesystem::exists(target + "/LC_TIME"))
            GTEST_SKIP() << "localedef cannot build " << c.name << " (package locales missing?)";
    }
    ::setenv("LOCPATH", locales.c_str(), 1);
    for (const auto& c : cases) {
        ::setenv("LC_ALL", (std::string(c.name) + ".UTF-8").c_str(), 1);
        const DayHalves halves = userDayHalves();
        EXPECT_EQ(halves.am, c.halves.am) << c.name;
        EXPECT_EQ(halves.pm, c.halves.pm) << c.name;
        EXPECT_EQ(firstStartPrefers24Hour(halves.am), c.twentyFour) << c.name;
    }
    ::setenv("LC_ALL", "xx_NOWHERE.UTF-8", 1); // not installed: the C locale's texts
    EXPECT_EQ(userDayHalves().am, "AM");
    ::unsetenv("LC_ALL");
    ::unsetenv("LOCPATH");
}

} // namespace
} // namespace quelvo
