#include "platform/system_name.h"

#include <gtest/gtest.h>

namespace quelvo {
namespace {

TEST(SystemName, PrettyNameOfAnOsReleaseText)
{
    const struct
    {
        const char* text;
        const char* name;
    } cases[] = {
        {"NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n",
         "Debian GNU/Linux 12 (bookworm)"},
        {"NAME=\"Debian GNU/Linux\"\nID=debian\n", ""},           // none
        {"PRETTY_NAME='Fedora Linux 40'\r\n", "Fedora Linux 40"}, // single quotes, a CR LF line end
        {"PRETTY_NAME=Alpine\n", "Alpine"},                       // no quotes
        {"PRETTY_NAME=\"Say \\\"hi\\\" \\\\o/\"\n", "Say \"hi\" \\o/"},
        {"#PRETTY_NAME=\"Old\"\n PRETTY_NAME=\"Indented\"\nMY_PRETTY_NAME=\"Other\"\n", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(osReleasePrettyName(c.text), c.name) << c.text;
}

TEST(SystemName, WindowsIsNamedByTheVersionItReallyRuns)
{
    const struct
    {
        WindowsRelease release;
        const char* name;
    } cases[] = {
        {{10, 0, 22631}, "Windows 11"},
        {{10, 0, 22000}, "Windows 11"},
        {{10, 0, 21999}, "Windows 10"},
        {{6, 3, 9600}, "Windows 8.1"},
        {{6, 2, 9200}, "Windows 8"},
        {{6, 1, 7601}, "Windows 7"},
        {{6, 0, 6002}, "Windows Vista"},
        {{5, 1, 2600}, ""},
        {{6, 4, 0}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(windowsReleaseName(c.release), c.name)
            << c.release.major << "." << c.release.minor << "." << c.release.build;
}

} // namespace
} // namespace quelvo
