#include "platform/linux/desktop_autostart.h"
#include "platform/linux/posix_file_system.h"
#include "platform/linux/settings_store.h"
#include "schedule/schedule_file.h"

#include "fakes/temp_home.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace quelvo {
namespace {

const std::string kLineA = "On Mon at 07:30 AM, Shut Down, Repeat daily";
const std::string kLineB = "On Fri at 11:45 PM, Reboot,    Don't repeat";
const std::string kLineC = "On Sun at 23:05   , Shut Down, Don't repeat";

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::optional<std::string> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

mode_t modeOf(const std::string& path)
{
    struct stat st
    {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

// Where a fault is injected into the real calls.
enum class Site { None, Open, Write, Sync, Rename, FolderSync, RemoveScratch };

// Wraps the real calls: fails the chosen one, cuts the first write short, and records the
// order of the calls durability rests on.
struct Injector
{
    Site site = Site::None;
    std::vector<std::string> trace;
    std::set<int> folders;
    bool wroteHalf = false;

    PosixCalls calls()
    {
        PosixCalls c;
        c.open = [this](const char* path, int flags, mode_t mode) {
            const bool folder = (flags & O_DIRECTORY) != 0;
            if (site == Site::Open && !folder) {
                errno = EACCES;
                return -1;
            }
            const int fd = ::open(path, flags, mode);
            if (folder)
                folders.insert(fd);
            else
                folders.erase(fd);
            return fd;
        };
        c.write = [this](int fd, const void* data, std::size_t size) -> ssize_t {
            trace.emplace_back("write");
            if (site != Site::Write)
                return ::write(fd, data, size);
            if (wroteHalf || size < 2) { // the disk is full
                errno = ENOSPC;
                return -1;
            }
            wroteHalf = true;
            return ::write(fd, data, size / 2);
        };
        c.fsync = [this](int fd) {
            const bool folder = folders.count(fd) != 0;
            trace.emplace_back(folder ? "fsync folder" : "fsync file");
            if ((site == Site::Sync && !folder) || (site == Site::FolderSync && folder)) {
                errno = EIO;
                return -1;
            }
            return ::fsync(fd);
        };
        c.rename = [this](const char* from, const char* to) {
            trace.emplace_back("rename");
            if (site == Site::Rename) {
                errno = EIO;
                return -1;
            }
            return ::rename(from, to);
        };
        c.renameExchange = [this](const char* from, const char* to) {
            trace.emplace_back("rename");
            if (site == Site::Rename) {
                errno = EIO;
                return -1;
            }
            return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_EXCHANGE);
        };
        c.unlink = [this](const char* path) {
            if (site == Site::RemoveScratch && ::access(path, F_OK) == 0) {
                errno = EPERM;
                return -1;
            }
            return ::unlink(path);
        };
        return c;
    }
};

// Every write the program makes, over files that exist already.
struct Operation
{
    const char* name;
    std::string file;    // name in the folder
    std::string scratch; // empty: written in place (append)
    std::string before;
    std::string after;
    std::function<IoResult(FileSystem&, const std::string& folder)> run;
};

const std::string kSchedule = kLineA + "\r\n" + kLineB + "\r\n" + kLineA + "\r\n";

std::vector<Operation> operations()
{
    return {
        {"append", "events.ini", "", kSchedule, kSchedule + kLineC + "\r\n",
         [](FileSystem& fs, const std::string& folder) { return ScheduleFile(fs, folder).append(kLineC); }},
        {"deleteevent", "events.ini", "temp.ini", kSchedule, kLineB + "\r\n",
         [](FileSystem& fs, const std::string& folder) { return ScheduleFile(fs, folder).deleteevent(kLineA); }},
        {"dropevent", "events.ini", "temp.ini", kSchedule, "on fri at 11:45 pm, reboot,    don't repeat\r\n",
         [](FileSystem& fs, const std::string& folder) { return ScheduleFile(fs, folder).dropevent(kLineA); }},
        {"Delete All", "events.ini", "temp.ini", kSchedule, "",
         [](FileSystem& fs, const std::string& folder) { return ScheduleFile(fs, folder).empty(); }},
        {"settings", "settings.ini", "settings.ini.tmp", "[quelvo/data]\nx=1\n",
         "# Quelvo settings. Names ignore letter case; values are exact.\n\n[quelvo/data]\nx=2\n",
         [](FileSystem& fs, const std::string& folder) {
             return SettingsStore(fs, folder + "/settings.ini").SaveSetting("quelvo", "data", "x", "2");
         }},
        {"autostart", "quelvo.desktop", "quelvo.desktop.new", "[Desktop Entry]\nExec=/usr/bin/quelvo\n",
         "[Desktop Entry]\nType=Application\nName=Quelvo\nComment=Shuts the computer down or restarts it at the times "
         "you "
         "chose\nIcon=quelvo\nTerminal=false\nX-GNOME-Autostart-enabled=true\nExec=/opt/other\nTryExec=/opt/other\n",
         [](FileSystem& fs, const std::string& folder) {
             return DesktopAutostart(fs, folder + "/quelvo.desktop").SetRegString("/opt/other");
         }},
    };
}

TEST(PosixFileSystem, EveryWriteIsOnDiskBeforeItIsRenamedAndTheFolderAfter)
{
    for (const Operation& op : operations()) {
        test::TempHome home;
        const std::string folder = home.root().string();
        writeFile(folder + "/" + op.file, op.before);
        Injector injector;
        PosixFileSystem fs(injector.calls());
        ASSERT_TRUE(op.run(fs, folder).ok()) << op.name;
        EXPECT_EQ(readFile(folder + "/" + op.file), op.after) << op.name;
        using Trace = std::vector<std::string>;
        const Trace expected = op.scratch.empty() ? Trace{"write", "fsync file"}
                               : op.after.empty() ? Trace{"fsync file", "rename", "fsync folder"}
                                                  : Trace{"write", "fsync file", "rename", "fsync folder"};
        EXPECT_EQ(injector.trace, expected) << op.name;
    }
}

TEST(PosixFileSystem, AFailureAtAnyCallLeavesTheFileWholeAndNoScratchFile)
{
    const Site sites[] = {Site::Open, Site::Write, Site::Sync, Site::Rename, Site::FolderSync, Site::RemoveScratch};
    for (const Operation& op : operations()) {
        for (const Site site : sites) {
            const std::string what = std::string(op.name) + " site " + std::to_string(static_cast<int>(site));
            test::TempHome home;
            const std::string folder = home.root().string();
            const std::string path = folder + "/" + op.file;
            const std::string scratch = folder + "/" + op.scratch;
            writeFile(path, op.before);
            if (site == Site::RemoveScratch && !op.scratch.empty())
                writeFile(scratch, "left behind");
            Injector injector;
            injector.site = site;
            PosixFileSystem fs(injector.calls());
            const IoResult r = op.run(fs, folder);
            // An append to an existing file renames nothing and syncs no folder; an empty file needs no write.
            const bool reached = site == Site::Write ? !op.after.empty()
                                                     : !op.scratch.empty() || site == Site::Open || site == Site::Sync;
            if (!reached) {
                EXPECT_TRUE(r.ok()) << what;
                continue;
            }
            EXPECT_FALSE(r.ok()) << what;
            // Only the folder's sync comes after the rename: the new version is whole, the error still told.
            EXPECT_EQ(readFile(path), site == Site::FolderSync ? op.after : op.before) << what;
            if (!op.scratch.empty()) {
                const auto left =
                    site == Site::RemoveScratch ? std::optional<std::string>("left behind") : std::nullopt;
                EXPECT_EQ(readFile(scratch), left) << what;
            }
        }
    }
}

// An append that made the file takes it away again when a later call fails, the folder's sync
// included: no empty or half-written schedule is left for the next start to trust.
TEST(PosixFileSystem, AFailedAppendRemovesTheFileItCreated)
{
    for (const Site site : {Site::Write, Site::Sync, Site::FolderSync}) {
        test::TempHome home;
        Injector injector;
        injector.site = site;
        PosixFileSystem fs(injector.calls());
        ScheduleFile schedule(fs, home.root().string());
        EXPECT_FALSE(schedule.append(kLineA).ok()) << static_cast<int>(site);
        EXPECT_EQ(readFile(schedule.eventsPath()), std::nullopt) << static_cast<int>(site);
    }
}

TEST(PosixFileSystem, PlantedScratchLinksAreNeverFollowed)
{
    for (const Operation& op : operations()) {
        if (op.scratch.empty())
            continue;
        for (const bool hard : {false, true}) {
            test::TempHome home;
            const std::string folder = home.root().string();
            const std::string path = folder + "/" + op.file;
            const std::string victim = folder + "/victim";
            writeFile(path, op.before);
            writeFile(victim, "precious");
            const std::string scratch = folder + "/" + op.scratch;
            ASSERT_EQ(hard ? ::link(victim.c_str(), scratch.c_str()) : ::symlink(victim.c_str(), scratch.c_str()), 0);
            PosixFileSystem fs;
            ASSERT_TRUE(op.run(fs, folder).ok()) << op.name;
            EXPECT_EQ(readFile(victim), "precious") << op.name << hard;
            EXPECT_EQ(readFile(path), op.after) << op.name << hard;
            EXPECT_TRUE(S_ISREG(modeOf(path))) << op.name << hard;
            EXPECT_EQ(readFile(scratch), std::nullopt) << op.name << hard;
        }
    }
}

TEST(PosixFileSystem, ALinkedDataFileIsFollowedAndModesAreKept)
{
    for (const Operation& op : operations()) {
        test::TempHome home;
        const std::string folder = home.root().string();
        const std::string path = folder + "/" + op.file;
        ASSERT_EQ(::mkdir((folder + "/dotfiles").c_str(), 0700), 0);
        const std::string target = folder + "/dotfiles/" + op.file;
        writeFile(target, op.before);
        ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
        ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0);
        PosixFileSystem fs;
        ASSERT_TRUE(op.run(fs, folder).ok()) << op.name;
        EXPECT_TRUE(S_ISLNK(modeOf(path))) << op.name;
        EXPECT_EQ(readFile(target), op.after) << op.name;
        EXPECT_EQ(modeOf(target) & 07777, 0640u) << op.name;
    }
}

TEST(PosixFileSystem, OnlyRegularFilesAreReadOrWritten)
{
    const struct
    {
        const char* what;
        std::function<void(const std::string& path)> make;
        std::string reason;
    } cases[] = {
        {"FIFO", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, "is a FIFO"},
        {"link to /dev/zero", [](const std::string& p) { ASSERT_EQ(::symlink("/dev/zero", p.c_str()), 0); },
         "is a device"},
        {"folder", [](const std::string& p) { ASSERT_EQ(::mkdir(p.c_str(), 0700), 0); }, "is a folder"},
        {"socket",
         [](const std::string& p) {
             const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un addr{};
             addr.sun_family = AF_UNIX;
             p.copy(addr.sun_path, sizeof addr.sun_path - 1);
             ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
             ::close(fd);
         },
         "is a socket"},
        {"file over the size limit",
         [](const std::string& p) { ASSERT_EQ(::truncate((writeFile(p, "x"), p).c_str(), 16 * 1024 * 1024 + 1), 0); },
         "is larger than 16777216 bytes"},
    };
    for (const auto& c : cases) {
        test::TempHome home;
        const std::string folder = home.root().string();
        PosixFileSystem fs;
        ScheduleFile schedule(fs, folder);
        c.make(schedule.eventsPath());
        const ScheduleRead read = schedule.read();
        EXPECT_NE(read.io.error.find(c.reason), std::string::npos) << c.what << ": " << read.io.error;
        EXPECT_TRUE(read.lines.empty()) << c.what;
        EXPECT_FALSE(schedule.deleteevent(kLineA).ok()) << c.what;
        // A large regular file may still grow or be emptied; nothing else is written to.
        const bool regular = S_ISREG(modeOf(schedule.eventsPath()));
        EXPECT_EQ(schedule.append(kLineA).ok(), regular) << c.what;
        EXPECT_EQ(schedule.empty().ok(), regular) << c.what;
        // Settings in the way are an error too, and never overwritten.
        SettingsStore settings(fs, folder + "/settings.ini");
        c.make(settings.filePath());
        EXPECT_NE(settings.readState().error.find(c.reason), std::string::npos) << c.what;
        EXPECT_FALSE(settings.save("x", "1").ok()) << c.what;
    }
}

// The limit is the largest schedule that is read; a byte more is refused (above).
TEST(PosixFileSystem, AScheduleOfExactlyTheSizeLimitIsRead)
{
    test::TempHome home;
    PosixFileSystem fs;
    ScheduleFile schedule(fs, home.root().string());
    writeFile(schedule.eventsPath(), kLineA + "\r\n");
    ASSERT_EQ(::truncate(schedule.eventsPath().c_str(), 16 * 1024 * 1024), 0);
    const ScheduleRead read = schedule.read();
    ASSERT_EQ(read.lines.size(), 2U) << read.io.error; // the line, then the zeros that fill the file
    EXPECT_EQ(read.lines[0], kLineA);
}

// Another program that may write to the folder swaps the scratch file for a link to a file of
// its own, at each moment between the write and the rename, from inside the calls.
TEST(PosixFileSystem, AScratchFileSwappedBeforeItsRenameIsNeverTakenForOurs)
{
    enum class Plant { Never, AfterSync, InSwap, InPlainRename };
    const struct
    {
        const char* what;
        Plant plant;
        bool hardLink;
        bool swapRefused; // a file system that cannot exchange two names
        std::optional<std::string> after;
    } cases[] = {
        {"hard link before the check", Plant::AfterSync, true, true, kSchedule},
        {"symbolic link between the check and the swap", Plant::InSwap, false, false, kSchedule},
        // The rename took the old file; the planted link must not stay as the schedule.
        {"symbolic link before a plain rename", Plant::InPlainRename, false, true, std::nullopt},
        {"nothing planted, plain rename", Plant::Never, false, true, "new\r\n"},
    };
    for (const auto& c : cases) {
        test::TempHome home;
        const std::string folder = home.root().string();
        const std::string path = folder + "/events.ini";
        const std::string scratch = folder + "/temp.ini";
        const std::string other = folder + "/other";
        writeFile(path, kSchedule);
        writeFile(other, "precious");
        bool planted = false;
        const auto plantIf = [&](Plant now) {
            if (c.plant != now || planted)
                return;
            planted = true;
            EXPECT_EQ(::rename(scratch.c_str(), (folder + "/moved").c_str()), 0) << c.what;
            EXPECT_EQ(c.hardLink ? ::link(other.c_str(), scratch.c_str()) : ::symlink(other.c_str(), scratch.c_str()),
                      0)
                << c.what;
        };
        PosixCalls calls = PosixCalls::system();
        calls.fsync = [&](int fd) {
            struct stat st
            {};
            if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
                plantIf(Plant::AfterSync);
            return ::fsync(fd);
        };
        calls.renameExchange = [&](const char* from, const char* to) {
            if (c.swapRefused) {
                errno = EINVAL;
                return -1;
            }
            plantIf(Plant::InSwap);
            return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_EXCHANGE);
        };
        calls.rename = [&](const char* from, const char* to) {
            plantIf(Plant::InPlainRename);
            return ::rename(from, to);
        };
        PosixFileSystem fs(calls);
        const IoResult r = fs.replaceContents(path, "temp.ini", "new\r\n", NewFileAccess::OwnerOnly);
        const std::string said = c.plant == Plant::Never ? "" : path + ": a file was replaced while it was written";
        EXPECT_EQ(r.error, said) << c.what;
        EXPECT_EQ(readFile(path), c.after) << c.what;
        if (c.after) {
            EXPECT_TRUE(S_ISREG(modeOf(path))) << c.what;
        }
        EXPECT_EQ(readFile(other), "precious") << c.what;
        EXPECT_EQ(modeOf(scratch), 0u) << c.what;
    }
}

TEST(PosixFileSystem, WhatItCreatesIsTheUsersAlone)
{
    test::TempHome home;
    const std::string root = home.root().string();
    const mode_t oldMask = ::umask(022);
    PosixFileSystem fs;
    writeFile(root + "/old.lock", "");
    ASSERT_EQ(::chmod((root + "/old.lock").c_str(), 0644), 0);
    EXPECT_TRUE(fs.lock(root + "/old.lock", LockMode::Shared).io.ok());
    EXPECT_TRUE(SettingsStore(fs, root + "/config/quelvo/settings.ini").save("x", "1").ok());
    EXPECT_TRUE(DesktopAutostart(fs, root + "/autostart/quelvo.desktop").SetRegString("/opt/q").ok());
    EXPECT_TRUE(fs.makeFolders(root + "/data/quelvo").ok());
    EXPECT_TRUE(ScheduleFile(fs, root + "/data/quelvo").append(kLineA).ok());
    EXPECT_TRUE(ScheduleFile(fs, root + "/emptied").empty().ok());
    // A reader makes nothing, not even the lock file.
    EXPECT_TRUE(ScheduleFile(fs, root + "/unread").read().io.ok());
    EXPECT_TRUE(fs.lock(root + "/data/quelvo/missing.lock", LockMode::Shared).held);
    ::umask(oldMask);

    const struct
    {
        const char* name;
        mode_t mode; // 0: missing
    } expected[] = {
        {"config", S_IFDIR | 0700},
        {"config/quelvo", S_IFDIR | 0700},
        {"config/quelvo/settings.ini", S_IFREG | 0600},
        {"config/quelvo/settings.ini.lock", S_IFREG | 0600},
        {"autostart/quelvo.desktop", S_IFREG | 0600},
        {"data", S_IFDIR | 0700},
        {"data/quelvo/events.ini", S_IFREG | 0600},
        {"data/quelvo/events.ini.lock", S_IFREG | 0600},
        {"emptied/events.ini", S_IFREG | 0600},
        {"old.lock", S_IFREG | 0600},
        {"unread", 0},
        {"data/quelvo/missing.lock", 0},
    };
    for (const auto& e : expected)
        EXPECT_EQ(modeOf(root + "/" + e.name), e.mode) << e.name;
}

TEST(PosixFileSystem, ALockAnotherProgramHoldsIsWaitedForAtMostTheBound)
{
    using std::chrono::milliseconds;
    test::TempHome home;
    const std::string lockPath = home.path("events.ini.lock");
    writeFile(lockPath, "");
    // flock belongs to the open file, so a second open conflicts as another program's would.
    const int other = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    const struct
    {
        milliseconds wait;
        LockMode mode;
    } cases[] = {{milliseconds(0), LockMode::Exclusive},
                 {milliseconds(0), LockMode::Shared},
                 {milliseconds(30), LockMode::Exclusive}};
    for (const auto& c : cases) {
        PosixFileSystem fs(PosixCalls::system(), c.wait);
        const LockResult r = fs.lock(lockPath, c.mode);
        EXPECT_TRUE(r.busy) << c.wait.count();
        EXPECT_FALSE(r.held) << c.wait.count();
        EXPECT_EQ(r.io.error, "another program holds " + lockPath) << c.wait.count();
    }
    ::close(other);
    PosixFileSystem fs(PosixCalls::system(), milliseconds(0));
    EXPECT_TRUE(fs.lock(lockPath, LockMode::Exclusive).held);

    // A lock file that cannot be made tells why, not that it is missing.
    PosixCalls readOnly = PosixCalls::system();
    readOnly.open = [](const char* path, int flags, mode_t mode) {
        if ((flags & O_CREAT) != 0) {
            errno = EROFS;
            return -1;
        }
        return ::open(path, flags, mode);
    };
    PosixFileSystem onReadOnly(readOnly);
    EXPECT_EQ(onReadOnly.lock(home.path("new.lock"), LockMode::Exclusive).io.error,
              "cannot open the lock file " + home.path("new.lock") + ": Read-only file system");
}

TEST(PosixFileSystem, AnAppendStartsOnANewLine)
{
    test::TempHome home;
    PosixFileSystem fs;
    ScheduleFile file(fs, home.root().string());
    for (const std::string& last : {std::string("\r"), std::string("\n"), std::string()}) {
        writeFile(file.eventsPath(), kLineA + last);
        ASSERT_TRUE(file.append(kLineB).ok());
        EXPECT_EQ(readFile(file.eventsPath()), kLineA + (last.empty() ? "\r\n" : last) + kLineB + "\r\n");
    }
}

} // namespace
} // namespace quelvo
