#include "platform/linux/folder_process_starter.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace quelvo {
namespace {

namespace fs = std::filesystem;

class FolderProcessStarterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/quelvo-starter-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_folder = pattern;
        fs::create_directory(m_folder / "elsewhere");
    }
    void TearDown() override { fs::remove_all(m_folder); }

    /// A stand-in companion that writes its arguments to `<name>.ran` in the folder.
    void makeCompanion(const fs::path& path) const
    {
        std::ofstream script(path);
        script << "#!/bin/sh\necho \"$@\" > \"" << (m_folder / path.filename()).string() << ".ran.tmp\"\n"
               << "mv \"" << (m_folder / path.filename()).string() << ".ran.tmp\" \""
               << (m_folder / path.filename()).string() << ".ran\"\n";
        script.close();
        fs::permissions(path, fs::perms::owner_all);
    }

    /// What the companion of that name was started with, once it has run; empty if it never ran.
    [[nodiscard]] std::string ranWith(const std::string& name, std::chrono::milliseconds wait) const
    {
        const fs::path marker = m_folder / (name + ".ran");
        const auto deadline = std::chrono::steady_clock::now() + wait;
        while (std::chrono::steady_clock::now() < deadline) {
            if (fs::exists(marker)) {
                std::ifstream in(marker);
                std::string line;
                std::getline(in, line);
                return line;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return {};
    }

    fs::path m_folder;
};

TEST_F(FolderProcessStarterTest, StartsTheCompanionFromItsFolderWithArgumentsAndWithoutExe)
{
    makeCompanion(m_folder / "velmorshutdown");
    FolderProcessStarter starter(m_folder.string());
    const StartResult result = starter.start("velmorshutdown.exe -u -f", 6);
    EXPECT_TRUE(result.started) << result.reason;
    EXPECT_EQ(ranWith("velmorshutdown", std::chrono::seconds(10)), "-u -f");
}

TEST_F(FolderProcessStarterTest, NeverLooksInTheCurrentFolderOrOnPath)
{
    // A planted companion in the current folder and on PATH must not be found.
    const fs::path elsewhere = m_folder / "elsewhere";
    makeCompanion(elsewhere / "velmorlogoff");
    const fs::path oldCwd = fs::current_path();
    fs::current_path(elsewhere);
    const std::string oldPath = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    ::setenv("PATH", elsewhere.c_str(), 1);

    FolderProcessStarter starter(m_folder.string());
    const StartResult missing = starter.start("velmorlogoff.exe -p", 6);
    const StartResult shell = starter.start("sh -c true", 6);
    const StartResult escape = starter.start("elsewhere/velmorlogoff -p", 6);

    ::setenv("PATH", oldPath.c_str(), 1);
    fs::current_path(oldCwd);
    EXPECT_FALSE(missing.started);
    EXPECT_NE(missing.reason.find("not found"), std::string::npos) << missing.reason;
    EXPECT_FALSE(shell.started);
    EXPECT_FALSE(escape.started);
    EXPECT_EQ(ranWith("velmorlogoff", std::chrono::milliseconds(300)), "");
}

TEST_F(FolderProcessStarterTest, SystemCommandLinesAndEmptyLinesFailToStart)
{
    FolderProcessStarter starter(m_folder.string());
    for (const char* line : {"rundll32 user,exitwindows", "rundll32.exe shell32.dll,SHExitWindowsEx 9", "", "  "})
        EXPECT_FALSE(starter.start(line, 2).started) << line;
}

TEST_F(FolderProcessStarterTest, NonExecutableFileIsNotStarted)
{
    std::ofstream(m_folder / "velmorshutdown") << "not a program\n";
    fs::permissions(m_folder / "velmorshutdown", fs::perms::owner_read | fs::perms::owner_write);
    FolderProcessStarter starter(m_folder.string());
    EXPECT_FALSE(starter.start("velmorshutdown.exe -u", 6).started);
}

// A watched companion reports its exit status, or that the wait ran out, from the event loop.
TEST_F(FolderProcessStarterTest, WatchedCompanionReportsHowItEnded)
{
    int argc = 1;
    char name[] = "folder_process_starter_test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    const struct
    {
        const char* body;
        ProcessEnd expected;
    } cases[] = {
        {"exit 0", {false, 0}},
        {"exit 3", {false, 3}},
        {"kill -TERM $$", {false, 128 + 15}},
        {"sleep 2", {true, 0}},
    };
    for (const auto& c : cases) {
        {
            std::ofstream script(m_folder / "velmorshutdown");
            script << "#!/bin/sh\n" << c.body << "\n";
        }
        fs::permissions(m_folder / "velmorshutdown", fs::perms::owner_all);
        FolderProcessStarter starter(m_folder.string());
        std::optional<ProcessEnd> end;
        const StartResult started =
            starter.startWatched("velmorshutdown.exe -u", 6, 500, [&](ProcessEnd e) { end = e; });
        ASSERT_TRUE(started.started && started.watched) << started.reason;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!end && std::chrono::steady_clock::now() < deadline) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_TRUE(end) << c.body;
        EXPECT_EQ(end->timedOut, c.expected.timedOut) << c.body;
        EXPECT_EQ(end->status, c.expected.status) << c.body;
    }
}

} // namespace
} // namespace quelvo
