#include "platform/windows/wide_text.h"
#include "platform/windows/windows_file_system.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <optional>
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
        folder = toUtf8(temp) + "quelvo-" + std::to_string(::GetCurrentProcessId()) + "\\\xc5\x81ucja \xe6\x97\xa5";
        ASSERT_TRUE(fs.makeFolders(folder).ok());
        file = folder + "\\events.ini";
    }
    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(std::filesystem::path(toWide(folder)).parent_path(), ignored);
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
            ::CreateFileW(toWide(file).c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
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
        ::CreateFileW(toWide(file).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
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

// Faults through the seam: whatever fails, the file is as it was, and a file the append made is
// gone again.
TEST_F(WindowsFileSystemTest, AppendLeavesTheFileWholeOrAsItWas)
{
    enum Fault { None, Write, Flush };
    const struct
    {
        std::optional<std::string> before;
        Fault fault;
        std::optional<std::string> after;
    } cases[] = {
        {"a\r", None, "a\rb\r\n"}, // a lone CR ends a line too
        {"a\r\n", Write, "a\r\n"}, // half written, then the disk is full
        {"a", Flush, "a"},
        {std::nullopt, Write, std::nullopt},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(fs.remove(file).ok());
        if (c.before) {
            ASSERT_TRUE(fs.append(file, *c.before).ok());
        }
        WindowsCalls calls = WindowsCalls::system();
        calls.write = [&c, real = calls.write](void* h, const void* data, std::uint32_t size) -> std::int64_t {
            if (c.fault != Write)
                return real(h, data, size);
            real(h, data, size / 2);
            ::SetLastError(ERROR_DISK_FULL);
            return -1;
        };
        calls.flush = [&c, real = calls.flush](void* h) {
            ::SetLastError(ERROR_DISK_FULL);
            return c.fault != Flush && real(h);
        };
        WindowsFileSystem faulty(calls, std::chrono::milliseconds(0));
        EXPECT_EQ(faulty.append(file, "b\r\n", "\r\n").ok(), c.fault == None) << c.fault;
        EXPECT_EQ(fs.read(file).bytes, c.after) << c.fault;
    }
}

// Another program acts after the scratch file is written and before it is renamed: it cannot
// move the file aside, and one that moves the whole folder aside and plants a file of its own
// under the scratch name is found out; the data stays as it was.
TEST_F(WindowsFileSystemTest, ReplaceMovesInOnlyTheFileItWrote)
{
    const std::wstring scratch = toWide(folder + "\\events.ini.new");
    const std::string moved = folder + " moved";
    bool moveFolder = false;
    bool tookEffect = false;
    WindowsCalls calls = WindowsCalls::system();
    calls.flush = [&, real = calls.flush](void* h) {
        const bool flushed = real(h);
        const std::wstring from = moveFolder ? toWide(folder) : scratch;
        const std::wstring to = toWide(moveFolder ? moved : folder + "\\aside");
        tookEffect = ::MoveFileExW(from.c_str(), to.c_str(), 0) != FALSE;
        ::CreateDirectoryW(toWide(folder).c_str(), nullptr);
        (void)fs.append(toUtf8(scratch), "planted");
        return flushed;
    };
    WindowsFileSystem attacked(calls, std::chrono::milliseconds(0));

    ASSERT_TRUE(fs.replaceContents(file, "events.ini.new", "old\r\n", NewFileAccess::Readable).ok());
    const IoResult replaced = attacked.replaceContents(file, "events.ini.new", "new\r\n", NewFileAccess::Readable);
    ASSERT_TRUE(replaced.ok()) << replaced.error;
    EXPECT_FALSE(tookEffect);
    EXPECT_EQ(fs.read(file).bytes, "new\r\n");
    EXPECT_FALSE(fs.exists(folder + "\\aside"));

    moveFolder = true;
    const IoResult refused = attacked.replaceContents(file, "events.ini.new", "newer\r\n", NewFileAccess::Readable);
    if (!tookEffect)
        GTEST_SKIP() << "the system keeps a folder with an open file in place";
    EXPECT_EQ(refused.error, "cannot replace " + file + ": " + toUtf8(scratch) + " was replaced while it was written");
    EXPECT_EQ(fs.read(moved + "\\events.ini").bytes, "new\r\n");
    EXPECT_TRUE(fs.read(file).missing());
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

// A lock another handle holds is given up on after the wait (at once with none), only a shared
// lock lets another shared one in, and a reader's lock neither needs nor makes a lock file.
TEST_F(WindowsFileSystemTest, LockGivesUpAfterItsWait)
{
    using std::chrono::milliseconds;
    const std::string lockFile = lockPathFor(file);
    const LockResult nothing = fs.lock(lockFile, LockMode::Shared);
    ASSERT_TRUE(nothing.held) << nothing.io.error;
    EXPECT_FALSE(fs.exists(lockFile));
    const struct
    {
        LockMode held;
        LockMode asked;
        milliseconds wait;
        bool busy;
    } cases[] = {
        {LockMode::Exclusive, LockMode::Shared, milliseconds(0), true},
        {LockMode::Exclusive, LockMode::Exclusive, milliseconds(300), true},
        {LockMode::Shared, LockMode::Exclusive, milliseconds(0), true},
        {LockMode::Shared, LockMode::Shared, milliseconds(0), false},
    };
    for (const auto& c : cases) {
        const LockResult holder = fs.lock(lockFile, c.held);
        ASSERT_TRUE(holder.held) << holder.io.error;
        WindowsFileSystem other(WindowsCalls::system(), c.wait);
        const auto start = std::chrono::steady_clock::now();
        const LockResult asked = other.lock(lockFile, c.asked);
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(asked.held == nullptr, c.busy) << c.wait.count();
        EXPECT_EQ(asked.busy, c.busy) << c.wait.count();
        if (c.busy) {
            EXPECT_EQ(asked.io.error, "another program holds " + lockFile);
            EXPECT_GE(waited, c.wait);
            EXPECT_LT(waited, c.wait + milliseconds(1500));
        }
    }
}

} // namespace
} // namespace quelvo
