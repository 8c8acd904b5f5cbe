#include "platform/linux/lock_file_instance.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <string>

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
    EXPECT_TRUE(first.acquire());
    EXPECT_TRUE(first.acquire()); // asking again changes nothing
    EXPECT_FALSE(second.acquire());
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
        const char ok = running.acquire() ? '1' : '0';
        (void)!::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(ready[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');

    LockFileInstance whileRunning(path);
    EXPECT_FALSE(whileRunning.acquire());

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    LockFileInstance afterKill(path);
    EXPECT_TRUE(afterKill.acquire());
    ::close(ready[0]);
    ::close(ready[1]);
}

} // namespace
} // namespace quelvo
