#include "platform/linux/local_socket_messenger.h"

#include <QFile>
#include <QLocalSocket>
#include <QTemporaryDir>
#include <QTest>

namespace quelvo {

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
            QLocalSocket stranger;
            stranger.connectToServer(path);
            QVERIFY(stranger.waitForConnected(1000));
            stranger.write(words);
            stranger.waitForBytesWritten(1000);
            stranger.disconnectFromServer();
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
