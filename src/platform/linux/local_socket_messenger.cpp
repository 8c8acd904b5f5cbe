#include "platform/linux/local_socket_messenger.h"

#include "platform/linux/locations.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace quelvo {

namespace {

// One line per knock; anything else on the socket is not ours and is ignored.
const QByteArray kShowLine = QByteArrayLiteral("show\n");

QString defaultSocketPath()
{
    const std::string folder = runtimeFolder().path;
    return folder.empty() ? QString() : QString::fromLocal8Bit(folder + "/quelvo.socket");
}

} // namespace

LocalSocketMessenger::LocalSocketMessenger(QString path)
    : m_path(path.isEmpty() ? defaultSocketPath() : std::move(path))
{}

LocalSocketMessenger::~LocalSocketMessenger()
{
    if (m_server)
        m_server->close(); // removes the socket file, so the next copy finds nothing stale
}

bool LocalSocketMessenger::listen(std::function<void()> onKnock)
{
    m_onKnock = std::move(onKnock);
    if (m_server)
        return m_server->isListening();
    if (m_path.isEmpty())
        return false;
    m_server = std::make_unique<QLocalServer>();
    // Only the same user may knock.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(), [this] { accept(); });
    // The caller holds the single-instance lock: a socket file left here belongs to a copy that died.
    QLocalServer::removeServer(m_path);
    return m_server->listen(m_path);
}

void LocalSocketMessenger::accept()
{
    while (QLocalSocket* client = m_server->nextPendingConnection()) {
        auto consume = [this, client] {
            if (!client->canReadLine())
                return;
            const bool show = client->readLine(kShowLine.size() + 1) == kShowLine;
            client->disconnectFromServer();
            if (show && m_onKnock)
                m_onKnock();
        };
        QObject::connect(client, &QLocalSocket::readyRead, client, consume);
        // A knock may be read only as the other side has already gone.
        QObject::connect(client, &QLocalSocket::disconnected, client, [client, consume] {
            consume();
            client->deleteLater();
        });
        consume();
    }
}

bool LocalSocketMessenger::knock()
{
    if (m_path.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_path);
    if (!socket.waitForConnected(kKnockTimeoutMs))
        return false;
    if (socket.write(kShowLine) != kShowLine.size())
        return false;
    socket.waitForBytesWritten(kKnockTimeoutMs);
    const bool sent = socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    return sent;
}

} // namespace quelvo
