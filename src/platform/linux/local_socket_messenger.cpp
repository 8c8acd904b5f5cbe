#include "platform/linux/local_socket_messenger.h"

#include "platform/linux/locations.h"

#include <QSocketNotifier>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace quelvo {

namespace {

// One line per knock; anything else on the socket is not ours and is ignored.
// The second line comes from a start in the application menu, which wants the window whatever
// the desktop.
constexpr std::string_view kShowLine = "show\n";
constexpr std::string_view kShowWindowLine = "show window\n";

// Connections taken off the queue in one turn of the event loop; more wait for the next turn, so
// a flood of them cannot hold the loop.
constexpr int kAcceptsPerTurn = 32;
// How long the listening socket rests when not even the reserve descriptor can take a connection
// off the queue: a queued connection keeps the socket readable, and the loop would spin on it.
constexpr int kRestMs = 200;

int openSpare()
{
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

QString defaultSocketPath()
{
    const std::string folder = runtimeFolder().path;
    return folder.empty() ? QString() : QString::fromLocal8Bit(folder + "/quelvo.socket");
}

// The socket's address; false when the path does not fit.
bool addressOf(const QString& path, sockaddr_un& address)
{
    const QByteArray bytes = path.toLocal8Bit();
    address = {};
    address.sun_family = AF_UNIX;
    if (bytes.isEmpty() || static_cast<std::size_t>(bytes.size()) >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
}

sockaddr* generic(sockaddr_un& address)
{
    return reinterpret_cast<sockaddr*>(&address);
}

} // namespace

LocalSocketMessenger::LocalSocketMessenger(QString path, std::chrono::milliseconds idleLimit)
    : m_path(path.isEmpty() ? defaultSocketPath() : std::move(path)), m_idleLimit(idleLimit)
{}

LocalSocketMessenger::~LocalSocketMessenger()
{
    while (!m_clients.empty())
        drop(m_clients.begin()->first);
    m_resume.reset();
    if (m_listening >= 0) {
        m_notifier.reset();
        ::close(m_listening);
        ::unlink(m_path.toLocal8Bit().constData()); // so the next copy finds nothing stale
    }
    if (m_spare >= 0)
        ::close(m_spare);
}

bool LocalSocketMessenger::listen(std::function<void(bool showWindow)> onKnock)
{
    m_onKnock = std::move(onKnock);
    if (m_listening >= 0)
        return true;
    sockaddr_un address{};
    if (!addressOf(m_path, address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // The caller holds the single-instance lock: a socket file left here belongs to a copy that died.
    ::unlink(address.sun_path);
    // Only the same user may knock: the socket is made for its owner alone.
    const mode_t old = ::umask(077);
    const bool bound = ::bind(fd, generic(address), sizeof address) == 0;
    ::umask(old);
    if (!bound || ::listen(fd, 8) != 0) {
        ::close(fd);
        return false;
    }
    m_listening = fd;
    m_spare = openSpare();
    m_notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { accept(); });
    return true;
}

void LocalSocketMessenger::accept()
{
    for (int i = 0; i < kAcceptsPerTurn; ++i) {
        const int fd = ::accept4(m_listening, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            take(fd);
            continue;
        }
        const int error = errno;
        if (error == EAGAIN || error == EWOULDBLOCK)
            return;
        if (error == EINTR || error == ECONNABORTED)
            continue;
        if ((error == EMFILE || error == ENFILE) && refuseOneWithoutDescriptors())
            continue;
        pauseListening();
        return;
    }
}

bool LocalSocketMessenger::refuseOneWithoutDescriptors()
{
    // The process is out of descriptors (something else took them): the reserve makes room to
    // take the connection off the queue and close it, and is taken back at once.
    if (m_spare < 0)
        m_spare = openSpare();
    if (m_spare < 0)
        return false;
    ::close(m_spare);
    const int fd = ::accept4(m_listening, nullptr, nullptr, SOCK_CLOEXEC);
    const int error = errno;
    if (fd >= 0)
        ::close(fd);
    m_spare = openSpare();
    return fd >= 0 || error == EAGAIN || error == EWOULDBLOCK;
}

void LocalSocketMessenger::pauseListening()
{
    if (!m_resume) {
        m_resume = std::make_unique<QTimer>();
        m_resume->setSingleShot(true);
        QObject::connect(m_resume.get(), &QTimer::timeout, m_resume.get(), [this] { m_notifier->setEnabled(true); });
    }
    m_notifier->setEnabled(false);
    m_resume->start(kRestMs);
}

void LocalSocketMessenger::take(int fd)
{
    // Full: the connection that has waited longest goes. A knock sends its line as it connects,
    // so the one that has waited longest without a line is the least likely to be one.
    if (m_clients.size() >= kMaxWaiting) {
        const auto oldest = std::min_element(m_clients.begin(), m_clients.end(), [](const auto& a, const auto& b) {
            return a.second.order < b.second.order;
        });
        drop(oldest->first);
    }
    Client& client = m_clients[fd];
    client.order = ++m_accepted;
    client.notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(client.notifier.get(), &QSocketNotifier::activated, client.notifier.get(),
                     [this, fd] { read(fd); });
    client.deadline = std::make_unique<QTimer>();
    client.deadline->setSingleShot(true);
    QObject::connect(client.deadline.get(), &QTimer::timeout, client.deadline.get(), [this, fd] { drop(fd); });
    client.deadline->start(m_idleLimit);
    // The line of a knock is mostly there already: read at once, before later connections push it out.
    read(fd);
}

void LocalSocketMessenger::read(int fd)
{
    const auto it = m_clients.find(fd);
    if (it == m_clients.end())
        return;
    Client& client = it->second;
    char buffer[16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return; // more may follow
        if (n > 0)
            client.received.append(buffer, static_cast<std::size_t>(n));
        // A whole line, too much for one, or the other side gone: the knock is decided.
        const bool line = client.received.find('\n') != std::string::npos;
        if (n > 0 && !line && client.received.size() < kShowWindowLine.size())
            continue;
        const bool showWindow = client.received == kShowWindowLine;
        const bool show = showWindow || client.received == kShowLine;
        drop(fd);
        if (show && m_onKnock)
            m_onKnock(showWindow);
        return;
    }
}

void LocalSocketMessenger::drop(int fd)
{
    const auto it = m_clients.find(fd);
    if (it == m_clients.end())
        return;
    // The notifier or the timer may be the one whose signal runs now: each goes once that has returned.
    it->second.notifier->setEnabled(false);
    it->second.notifier.release()->deleteLater();
    it->second.deadline->stop();
    it->second.deadline.release()->deleteLater();
    ::close(fd);
    m_clients.erase(it);
}

bool LocalSocketMessenger::knock()
{
    sockaddr_un address{};
    if (!addressOf(m_path, address))
        return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const timeval limit{kKnockTimeoutMs / 1000, static_cast<suseconds_t>(kKnockTimeoutMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    const std::string_view line = m_askToShowWindow ? kShowWindowLine : kShowLine;
    const bool sent = ::connect(fd, generic(address), sizeof address) == 0 &&
                      ::send(fd, line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size());
    ::close(fd);
    return sent;
}

} // namespace quelvo
