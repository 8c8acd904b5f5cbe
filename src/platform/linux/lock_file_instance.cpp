#include "platform/linux/lock_file_instance.h"

#include "platform/linux/locations.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace quelvo {

LockFileInstance::LockFileInstance(std::string path) : m_path(std::move(path))
{
    if (m_path.empty()) {
        const RuntimeFolder folder = runtimeFolder();
        m_path = folder.path.empty() ? std::string() : folder.path + "/quelvo.lock";
        m_error = folder.error;
    }
}

LockFileInstance::~LockFileInstance()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

SingleInstance::State LockFileInstance::acquire()
{
    if (m_fd >= 0)
        return State::Only;
    if (m_path.empty())
        return State::NoLock; // m_error says why
    // Running on without a lock would let every copy fire each event.
    const int fd = ::open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        m_error = "cannot create " + m_path + ": " + std::strerror(errno);
        return State::NoLock;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return State::AnotherCopyRuns;
        m_error = "cannot lock " + m_path + ": " + std::strerror(error);
        return State::NoLock;
    }
    m_error.clear();
    m_fd = fd;
    return State::Only;
}

} // namespace quelvo
