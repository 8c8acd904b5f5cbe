#include "platform/linux/lock_file_instance.h"

#include <cstdlib>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace quelvo {

namespace {

std::string defaultLockPath()
{
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/')
        return std::string(runtime) + "/quelvo.lock";
    return "/tmp/quelvo-" + std::to_string(::getuid()) + ".lock";
}

} // namespace

LockFileInstance::LockFileInstance(std::string path) : m_path(path.empty() ? defaultLockPath() : std::move(path))
{}

LockFileInstance::~LockFileInstance()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool LockFileInstance::acquire()
{
    if (m_fd >= 0)
        return true;
    const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true; // no lock file to be had: better a second copy than none at all
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

} // namespace quelvo
