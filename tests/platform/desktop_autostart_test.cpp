#include "platform/linux/autostart_entry.h"
#include "platform/linux/desktop_autostart.h"
#include "platform/linux/posix_file_system.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace quelvo {
namespace {

// How a desktop environment turns an Exec value (already unescaped) into the program
// path: the first argument, with quoting undone and %% read as %.
std::string programOfExec(const std::string& exec)
{
    std::string arg;
    std::size_t i = 0;
    if (!exec.empty() && exec[0] == '"') {
        for (i = 1; i < exec.size() && exec[i] != '"'; ++i) {
            if (exec[i] == '\\' && i + 1 < exec.size())
                ++i;
            arg += exec[i];
        }
    } else {
        for (; i < exec.size() && exec[i] != ' '; ++i)
            arg += exec[i];
    }
    std::string out;
    for (std::size_t k = 0; k < arg.size(); ++k) {
        if (arg[k] == '%' && k + 1 < arg.size() && arg[k + 1] == '%')
            ++k;
        out += arg[k];
    }
    return out;
}

class DesktopAutostartTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char folder[] = "/tmp/quelvo-autostart-XXXXXX";
        ASSERT_NE(::mkdtemp(folder), nullptr);
        m_folder = folder;
    }
    std::string entryPath() const { return m_folder + "/config/autostart/quelvo.desktop"; }

    std::string m_folder;
    PosixFileSystem m_fs;
};

TEST_F(DesktopAutostartTest, TickedEntryStartsTheProgramFromAnyPath)
{
    const std::string paths[] = {
        "/usr/bin/quelvo",
        "/home/ann/My Programs/quelvo",
        "/opt/\"odd\" $dir/`q`/quelvo",
        "/home/bob/100% sure/quelvo",
        "/tmp/back\\slash/quelvo",
    };
    for (const auto& path : paths) {
        DesktopAutostart autostart(m_fs, entryPath());
        ASSERT_TRUE(autostart.SetRegString(path).ok()) << path;
        const std::string exec = autostart.GetRegString("");
        EXPECT_FALSE(exec.empty());
        EXPECT_EQ(programOfExec(exec), path);
    }
}

TEST_F(DesktopAutostartTest, UntickedEntryStaysButIsHiddenAndReadsEmpty)
{
    DesktopAutostart autostart(m_fs, entryPath());
    EXPECT_EQ(autostart.GetRegString("none"), "none"); // no entry yet: the default
    ASSERT_TRUE(autostart.SetRegString("/usr/bin/quelvo").ok());
    ASSERT_TRUE(autostart.SetRegString("").ok());
    const auto text = m_fs.readAll(entryPath());
    ASSERT_TRUE(text.has_value());
    EXPECT_NE(text->find("Exec=\n"), std::string::npos);
    EXPECT_NE(text->find("Hidden=true\n"), std::string::npos);
    EXPECT_EQ(autostart.GetRegString("x"), "");
}

TEST_F(DesktopAutostartTest, FailedWriteKeepsTheOldEntry)
{
    DesktopAutostart autostart(m_fs, entryPath());
    ASSERT_TRUE(autostart.SetRegString("/usr/bin/quelvo").ok());
    const auto before = m_fs.readAll(entryPath());
    // A folder in the way of the temporary file makes the write fail, even for root.
    ASSERT_EQ(::mkdir((entryPath() + ".new").c_str(), 0700), 0);
    const IoResult r = autostart.SetRegString("");
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(m_fs.readAll(entryPath()), before);
}

TEST_F(DesktopAutostartTest, EntryCarriesTheFolderAndNamesTheProgram)
{
    DesktopAutostart autostart(m_fs, entryPath(), {"--folder", "/home/ann/My Schedules"});
    ASSERT_TRUE(autostart.SetRegString("/usr/bin/quelvo").ok());
    const auto text = m_fs.readAll(entryPath());
    ASSERT_TRUE(text.has_value());
    EXPECT_NE(text->find("\nExec=/usr/bin/quelvo --folder \"/home/ann/My Schedules\"\n"), std::string::npos) << *text;
    EXPECT_NE(text->find("\nTryExec=/usr/bin/quelvo\n"), std::string::npos) << *text;

    // GNOME's own switch turned it off; ticking the box turns it on again.
    ASSERT_TRUE(m_fs.replaceContents(entryPath(), "hand.tmp",
                                     "[Desktop Entry]\nExec=/usr/bin/quelvo\nX-GNOME-Autostart-enabled=false\n",
                                     NewFileAccess::OwnerOnly)
                    .ok());
    EXPECT_EQ(autostart.GetRegString("x"), "");
    ASSERT_TRUE(autostart.SetRegString("/usr/bin/quelvo").ok());
    EXPECT_EQ(autostart.GetRegString(""), "/usr/bin/quelvo --folder \"/home/ann/My Schedules\"");
}

TEST(AutostartEntry, ReadsOnlyTheDesktopEntryGroup)
{
    EXPECT_EQ(autostartCommand("[Desktop Entry]\nExec=/a/b\n"), "/a/b");
    EXPECT_EQ(autostartCommand("[Desktop Entry]\nExec=/a/b\nHidden=true\n"), "");
    EXPECT_EQ(autostartCommand("[Other]\nExec=/x\n[Desktop Entry]\n# c\nExec = /a\\sb\n"), "/a b");
    EXPECT_EQ(autostartCommand("garbage\0\xff"), "");
}

} // namespace
} // namespace quelvo
