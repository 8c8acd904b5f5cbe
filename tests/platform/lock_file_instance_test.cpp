#include "platform/linux/lock_file_instance.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quelvo {
namespace {

std::string freshLockPath()
{
    char folder[] = "/tmp/quelvo-lock-XXXXXX";
    EXPECT_NE(::mkdtemp(folder), nullptr);
    return std::string(folder) + "/quelvo.lock";
}

TEST(LockFileInstance, SecondCopyIsRefusedWhileTheFirstRuns)
{
    const std::string path = freshLockPath();
    LockFileInstance first(path);
    LockFileInstance second(path);
    EXPECT_EQ(first.acquire(), SingleInstance::State::Only);
    EXPECT_EQ(first.acquire(), SingleInstance::State::Only); // asking again changes nothing
    EXPECT_EQ(second.acquire(), SingleInstance::State::AnotherCopyRuns);
}

TEST(LockFileInstance, LockOfAKilledCopyDoesNotBlockTheNextStart)
{
    const std::string path = freshLockPath();
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        LockFileInstance running(path);
        const char ok = running.acquire() == SingleInstance::State::Only ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');

    LockFileInstance whileRunning(path);
    EXPECT_EQ(whileRunning.acquire(), SingleInstance::State::AnotherCopyRuns);

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    LockFileInstance afterKill(path);
    EXPECT_EQ(afterKill.acquire(), SingleInstance::State::Only);
    ::close(ready[0]);
    ::close(ready[1]);
}

// Without a usable runtime folder the lock goes to the user's own cache folder, never to a
// shared one; when even that can't be had, no copy runs unguarded.
TEST(LockFileInstance, LockLivesOnlyInAFolderOfTheUser)
{
    char home[] = "/tmp/quelvo-home-XXXXXX";
    ASSERT_NE(::mkdtemp(home), nullptr);
    const std::string cache = std::string(home) + "/cache";
    const std::string foreignRuntime = std::string(home) + "/foreign-run";
    ASSERT_EQ(::mkdir(foreignRuntime.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(foreignRuntime.c_str(), 0777), 0); // open to every user: not a runtime folder
    ::setenv("HOME", home, 1);

    struct Case
    {
        const char* runtime; // nullptr: unset
        const char* cacheHome;
        void (*prepare)(const std::string& quelvoFolder);
        std::string lockPath; // empty: no lock
        std::string error;
    };
    const auto none = [](const std::string&) {};
    const std::string cacheLock = cache + "/quelvo/quelvo.lock";
    std::vector<Case> cases = {
        {home, nullptr, none, std::string(home) + "/quelvo.lock", ""},
        {nullptr, cache.c_str(), none, cacheLock, ""},
        {foreignRuntime.c_str(), cache.c_str(), none, cacheLock, ""},
        {"relative", nullptr, none, std::string(home) + "/.cache/quelvo/quelvo.lock", ""},
        {nullptr, cache.c_str(), [](const std::string& f) { ::chmod(f.c_str(), 0777); }, "",
         cache + "/quelvo may be written by other users"},
        {nullptr, cache.c_str(),
         [](const std::string& f) {
             ::rmdir(f.c_str());
             ::close(::creat(f.c_str(), 0600));
         },
         "", cache + "/quelvo is not a folder"},
    };
    if (::geteuid() == 0) { // only root can give the folder away
        cases.push_back({nullptr, cache.c_str(), [](const std::string& f) { (void)!::chown(f.c_str(), 65534, 65534); },
                         "", cache + "/quelvo belongs to another user"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lockPath + c.error);
        (void)!::system(("rm -rf '" + cache + "' '" + home + "/.cache'").c_str());
        ASSERT_EQ(::mkdir(cache.c_str(), 0700), 0);
        ASSERT_EQ(::mkdir((cache + "/quelvo").c_str(), 0700), 0);
        c.prepare(cache + "/quelvo");
        c.runtime ? ::setenv("XDG_RUNTIME_DIR", c.runtime, 1) : ::unsetenv("XDG_RUNTIME_DIR");
        c.cacheHome ? ::setenv("XDG_CACHE_HOME", c.cacheHome, 1) : ::unsetenv("XDG_CACHE_HOME");
        LockFileInstance instance;
        EXPECT_EQ(instance.path(), c.lockPath);
        EXPECT_EQ(instance.acquire(), c.lockPath.empty() ? SingleInstance::State::NoLock : SingleInstance::State::Only);
        EXPECT_EQ(instance.lockError(), c.error);
        if (!c.lockPath.empty()) {
            struct stat st
            {};
            ASSERT_EQ(::stat(c.lockPath.substr(0, c.lockPath.rfind('/')).c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 0077, 0U);
        }
    }
    (void)!::system(("rm -rf '" + std::string(home) + "'").c_str());
}

} // namespace
} // namespace quelvo
