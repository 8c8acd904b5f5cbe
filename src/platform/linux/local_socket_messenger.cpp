#include "platform/linux/local_socket_messenger.h"

#include "platform/linux/locations.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
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

LocalSocketMessenger::LocalSocketMessenger(QString path)
    : m_path(path.isEmpty() ? defaultSocketPath() : std::move(path))
{}

LocalSocketMessenger::~LocalSocketMessenger()
{
    while (!m_clients.empty())
        drop(m_clients.begin()->first);
    if (m_listening >= 0) {
        m_notifier.reset();
        ::close(m_listening);
        ::unlink(m_path.toLocal8Bit().constData()); // so the next copy finds nothing stale
    }
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
    m_notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { accept(); });
    return true;
}

void LocalSocketMessenger::accept()
{
    for (;;) {
        const int fd = ::accept4(m_listening, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        Client& client = m_clients[fd];
        client.fd = fd;
        client.notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(client.notifier.get(), &QSocketNotifier::activated, client.notifier.get(),
                         [this, fd] { read(fd); });
    }
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
    // The notifier may be the one whose signal runs now: it goes once that has returned.
    it->second.notifier->setEnabled(false);
    it->second.notifier.release()->deleteLater();
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
    const timeval limit{kKnockTimeoutMs / 1000, (kKnockTimeoutMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    const std::string_view line = m_askToShowWindow ? kShowWindowLine : kShowLine;
    const bool sent = ::connect(fd, generic(address), sizeof address) == 0 &&
                      ::send(fd, line.data(), line.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(line.size());
    ::close(fd);
    return sent;
}

} // namespace quelvo
