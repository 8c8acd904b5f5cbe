#include "platform/linux/local_socket_messenger.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace quelvo {

namespace {

// Another program on the socket: connects, writes its words and goes.
bool say(const QString& path, const QByteArray& words)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray bytes = path.toLocal8Bit();
    std::memcpy(address.sun_path, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                    ::write(fd, words.constData(), static_cast<std::size_t>(words.size())) == words.size();
    ::close(fd);
    return ok;
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
};

} // namespace quelvo

QTEST_GUILESS_MAIN(quelvo::LocalSocketMessengerTest)
#include "local_socket_messenger_test.moc"
