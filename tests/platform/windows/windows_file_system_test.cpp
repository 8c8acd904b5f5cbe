#include "platform/windows/locations.h"
#include "platform/windows/windows_file_system.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <thread>

// The file layer against the real calls (under Wine in CI), in a fresh folder whose name is
// outside any ANSI code page.
namespace quelvo {
namespace {

struct WindowsFileSystemTest : ::testing::Test
{
    void SetUp() override
    {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        folder = utf8Path(temp) + "quelvo-" + std::to_string(::GetCurrentProcessId()) + "\\\xc5\x81ucja \xe6\x97\xa5";
        ASSERT_TRUE(fs.makeFolders(folder).ok());
        file = folder + "\\events.ini";
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(widePath(folder)).parent_path(), ignored);
    }

    WindowsFileSystem fs;
    std::string folder;
    std::string file;
};

// Folders that exist are fine; a file where a folder should be is not, nor anything below it.
TEST_F(WindowsFileSystemTest, MakeFoldersOverWhatIsThere)
{
    EXPECT_TRUE(fs.makeFolders(folder).ok());
    ASSERT_TRUE(fs.append(file, "x", "\r\n").ok());
    EXPECT_FALSE(fs.makeFolders(file).ok());
    EXPECT_FALSE(fs.makeFolders(file + "\\below").ok());
}

TEST_F(WindowsFileSystemTest, ReplaceOverALeftoverScratchFile)
{
    EXPECT_TRUE(fs.read(file).missing());
    ASSERT_TRUE(fs.replaceContents(file, "events.ini.new", "one\r\n", NewFileAccess::Readable).ok());
    const auto first = fs.stamp(file);
    ASSERT_TRUE(fs.append(folder + "\\events.ini.new", "stale").ok());
    const IoResult replaced = fs.replaceContents(file, "events.ini.new", "two\r\n", NewFileAccess::Readable);
    ASSERT_TRUE(replaced.ok()) << replaced.error;
    EXPECT_EQ(fs.read(file).bytes, "two\r\n");
    EXPECT_NE(fs.stamp(file), first);
    EXPECT_FALSE(fs.exists(folder + "\\events.ini.new"));
}

// A fresh copy moved in with the same size and write time is another file all the same.
TEST_F(WindowsFileSystemTest, StampSeesAReplaceThatKeepsTimeAndSize)
{
    const auto writeTime = [&](FILETIME* get, const FILETIME* set) {
        const HANDLE h =
            ::CreateFileW(widePath(file).c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(get ? ::GetFileTime(h, nullptr, nullptr, get) : ::SetFileTime(h, nullptr, nullptr, set));
        ::CloseHandle(h);
    };
    ASSERT_TRUE(fs.replaceContents(file, "events.ini.new", "one\r\n", NewFileAccess::Readable).ok());
    FILETIME written{};
    writeTime(&written, nullptr);
    const auto first = fs.stamp(file);
    ASSERT_TRUE(fs.replaceContents(file, "events.ini.new", "two\r\n", NewFileAccess::Readable).ok());
    writeTime(nullptr, &written);
    EXPECT_NE(fs.stamp(file), first);
}

TEST_F(WindowsFileSystemTest, ReplaceWhileAReaderHoldsTheFile)
{
    // Wine 8 refuses to rename over a file that is open, whatever its sharing.
    if (::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr)
        GTEST_SKIP() << "Wine denies a rename over an open file";
    ASSERT_TRUE(fs.replaceContents(file, "events.ini.new", "one\r\n", NewFileAccess::Readable).ok());
    // A reader that shares delete access, as every handle of this layer does.
    const HANDLE reader =
        ::CreateFileW(widePath(file).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    const IoResult replaced = fs.replaceContents(file, "events.ini.new", "two\r\n", NewFileAccess::Readable);
    ::CloseHandle(reader);
    ASSERT_TRUE(replaced.ok()) << replaced.error;
    EXPECT_EQ(fs.read(file).bytes, "two\r\n");
}

TEST_F(WindowsFileSystemTest, AppendStartsAFreshLine)
{
    ASSERT_TRUE(fs.append(file, "a", "\r\n").ok());
    ASSERT_TRUE(fs.append(file, "b\n", "\r\n").ok());
    ASSERT_TRUE(fs.append(file, "c", "\r\n").ok());
    EXPECT_EQ(fs.read(file).bytes, "a\r\nb\nc");
}

TEST_F(WindowsFileSystemTest, OnlyRegularFilesWithinTheLimit)
{
    ASSERT_TRUE(fs.append(file, "12345").ok());
    EXPECT_FALSE(fs.read(file, 4).io.ok());
    EXPECT_EQ(fs.read(file, 5).bytes, "12345");
    EXPECT_FALSE(fs.read(folder).io.ok());
    EXPECT_FALSE(fs.append(folder, "x").ok());
    EXPECT_TRUE(fs.remove(file).ok());
    EXPECT_TRUE(fs.remove(file).ok()); // already gone
    EXPECT_FALSE(fs.exists(file));
}

TEST_F(WindowsFileSystemTest, ExclusiveLockHoldsOffOthers)
{
    const std::string lockFile = lockPathFor(file);
    LockResult held = fs.lock(lockFile, LockMode::Exclusive);
    ASSERT_TRUE(held.held) << held.io.error;
    std::atomic<bool> got{false};
    std::thread other([&] {
        WindowsFileSystem otherFs;
        const LockResult shared = otherFs.lock(lockFile, LockMode::Shared);
        got = shared.held != nullptr;
    });
    ::Sleep(200);
    EXPECT_FALSE(got);
    held.held.reset();
    other.join();
    EXPECT_TRUE(got);
}

} // namespace
} // namespace quelvo
