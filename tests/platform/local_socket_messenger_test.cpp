#include "platform/linux/local_socket_messenger.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace quelvo {

namespace {

// Another program's connection to the socket; -1 when it was refused.
int connectTo(const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = path.toLocal8Bit();
    std::memcpy(address.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Another program on the socket: connects, writes its words and goes.
bool say(const QString& path, const QByteArray& words)
{
    const int fd = connectTo(path);
    const bool ok = fd >= 0 && ::write(fd, words.constData(), static_cast<std::size_t>(words.size())) == words.size();
    ::close(fd);
    return ok;
}

// True when the running copy has closed its end of the connection.
bool closedByOtherEnd(int fd)
{
    char byte = 0;
    return ::recv(fd, &byte, 1, MSG_DONTWAIT | MSG_PEEK) == 0;
}

} // namespace

class LocalSocketMessengerTest final : public QObject
{
    Q_OBJECT

private slots:
    void knockReachesTheRunningCopy()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("quelvo.socket"));
        LocalSocketMessenger running(path);
        QList<bool> knocks; // whether each asked to show the window
        QVERIFY(running.listen([&knocks](bool showWindow) { knocks.append(showWindow); }));
        const auto others = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
        QCOMPARE(QFile::permissions(path) & others, QFile::Permissions()); // the same user only
        LocalSocketMessenger second(path);
        QVERIFY(second.knock());
        QTRY_COMPARE(knocks, QList<bool>{false});
        LocalSocketMessenger third(path); // started from the application menu
        third.askToShowWindow();
        QVERIFY(third.knock());
        QTRY_COMPARE(knocks, (QList<bool>{false, true}));
    }

    void nobodyListeningMeansNoAnswer()
    {
        QTemporaryDir dir;
        LocalSocketMessenger alone(dir.filePath(QStringLiteral("quelvo.socket")));
        QVERIFY(!alone.knock());
    }

    void staleSocketFileDoesNotBlockTheNextStart()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("quelvo.socket"));
        QFile stale(path);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        LocalSocketMessenger running(path);
        int knocks = 0;
        QVERIFY(running.listen([&knocks](bool) { ++knocks; }));
        QVERIFY(LocalSocketMessenger(path).knock());
        QTRY_COMPARE(knocks, 1);
    }

    void closingRemovesTheSocketFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("quelvo.socket"));
        {
            LocalSocketMessenger running(path);
            QVERIFY(running.listen([](bool) {}));
            QVERIFY(QFile::exists(path));
        }
        QVERIFY(!QFile::exists(path));
    }

    void strangersOnTheSocketAreIgnored()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("quelvo.socket"));
        LocalSocketMessenger running(path);
        int knocks = 0;
        QVERIFY(running.listen([&knocks](bool) { ++knocks; }));
        for (const QByteArray& words : {QByteArrayLiteral("hello\n"), QByteArrayLiteral("show"), QByteArray()}) {
            QVERIFY(say(path, words));
        }
        QVERIFY(LocalSocketMessenger(path).knock()); // a real knock after them still counts once
        QTRY_COMPARE(knocks, 1);
        QTest::qWait(100);
        QCOMPARE(knocks, 1);
    }

    void idleConnectionsNeitherStopAKnockNorStay()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("quelvo.socket"));
        LocalSocketMessenger running(path, std::chrono::milliseconds(200));
        int knocks = 0;
        QVERIFY(running.listen([&knocks](bool) { ++knocks; }));
        // One more idle connection than may wait, each taken off the queue before the next.
        std::vector<int> idle;
        for (std::size_t i = 0; i <= LocalSocketMessenger::kMaxWaiting; ++i) {
            idle.push_back(connectTo(path));
            QVERIFY(idle.back() >= 0);
            QCoreApplication::processEvents();
        }
        QVERIFY(LocalSocketMessenger(path).knock());
        QTRY_COMPARE(knocks, 1);
        for (const int fd : idle) {
            QTRY_VERIFY(closedByOtherEnd(fd)); // none is kept past the limit
            ::close(fd);
        }
    }
};

} // namespace quelvo

QTEST_GUILESS_MAIN(quelvo::LocalSocketMessengerTest)
#include "local_socket_messenger_test.moc"
