// Runs only under notification_mock.py, which starts a private bus with a mock notification service.
#include "platform/linux/desktop_notifier.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QVariantMap>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>

namespace quelvo {
namespace {

using Strings = std::vector<std::string>;

QDBusMessage mock(const QString& method, const QVariantList& args = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        "org.freedesktop.Notifications", "/org/freedesktop/Notifications", "org.freedesktop.DBus.Mock", method);
    message.setArguments(args);
    return QDBusConnection::sessionBus().call(message);
}

// A call's argument as text: lists joined with ",", maps as "key=value", a byte as "byte N".
QString argumentText(const QVariant& value)
{
    if (value.canConvert<QDBusArgument>()) {
        QStringList entries;
        const auto map = qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
        for (auto it = map.begin(); it != map.end(); ++it) {
            const bool byte = it.value().typeId() == QMetaType::UChar;
            entries << it.key() +
                           (byte ? "=byte " + QString::number(it.value().toUInt()) : "=" + it.value().toString());
        }
        return entries.join(',');
    }
    return value.typeId() == QMetaType::QStringList ? value.toStringList().join(',') : value.toString();
}

// Every call the service received since the last look, as "Method arg|arg|...".
Strings calls()
{
    const auto log = mock("GetCalls").arguments().value(0).value<QDBusArgument>();
    Strings calls;
    log.beginArray();
    while (!log.atEnd()) {
        quint64 time = 0;
        QString line;
        log.beginStructure();
        log >> time >> line;
        log.beginArray();
        for (QChar separator = ' '; !log.atEnd(); separator = '|') {
            QDBusVariant arg;
            log >> arg;
            line += separator + argumentText(arg.variant());
        }
        log.endArray();
        log.endStructure();
        calls.push_back(line.toStdString());
    }
    log.endArray();
    (void)mock("ClearCalls"); // a failure shows as calls seen twice
    return calls;
}

// Sends the service's signal, then lets the event loop deliver what is on its way.
void emitSignal(const QString& name, const QString& signature, const QVariantList& args)
{
    const auto reply = mock("EmitSignal", {"org.freedesktop.Notifications", name, signature, args});
    ASSERT_NE(reply.type(), QDBusMessage::ErrorMessage) << reply.errorMessage().toStdString();
    const QDeadlineTimer deadline(300);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

TEST(DesktopNotifier, SendsTheTextAndBothChoicesAndHearsOnlyItsOwnAnswers)
{
    DesktopNotifier notifier;
    EXPECT_TRUE(notifier.available());
    Strings heard;
    ASSERT_TRUE(notifier.show({"Quelvo",
                               "Quelvo will shut down this PC at 22:00 (in 5 minutes)",
                               {{"postpone", "Postpone 15 minutes"}, {"skip", "Skip this time"}}},
                              [&](std::string_view key) { heard.emplace_back(key); }));
    EXPECT_EQ(calls(), (Strings{"GetCapabilities",
                                "Notify Quelvo|0|quelvo|Quelvo|Quelvo will shut down this PC at 22:00 (in 5 minutes)|"
                                "postpone,Postpone 15 minutes,skip,Skip this time,default,|urgency=byte 1|-1"}));
    // The mock numbers its first notification 1; another program's notification 7 is not ours.
    emitSignal("ActionInvoked", "us", {7U, "skip"});
    emitSignal("ActionInvoked", "us", {1U, "postpone"});
    emitSignal("ActionInvoked", "us", {1U, "default"});
    // Once the service has closed it, a late answer for it is not heard.
    emitSignal("NotificationClosed", "uu", {1U, 2U});
    emitSignal("ActionInvoked", "us", {1U, "skip"});
    EXPECT_EQ(heard, (Strings{"postpone", "clicked"}));

    // The next one replaces the one shown; once closed by the program, its answers are not heard either.
    ASSERT_TRUE(notifier.show({"Quelvo", "first", {}}, {}));
    ASSERT_TRUE(notifier.show({"Quelvo", "second", {}}, [&](std::string_view key) { heard.emplace_back(key); }));
    notifier.close();
    emitSignal("ActionInvoked", "us", {2U, "default"});
    EXPECT_EQ(heard.size(), 2U);
    EXPECT_EQ(calls(),
              (Strings{"Notify Quelvo|0|quelvo|Quelvo|first|default,|urgency=byte 1|-1",
                       "Notify Quelvo|2|quelvo|Quelvo|second|default,|urgency=byte 1|-1", "CloseNotification 2"}));
}

TEST(DesktopNotifier, UnavailableWithoutActionsOrWithoutService)
{
    DesktopNotifier nowhere(QDBusConnection::connectToBus("unix:path=/nonexistent/quelvo-no-bus", "nowhere"));
    EXPECT_FALSE(nowhere.available());
    EXPECT_FALSE(nowhere.show({"Quelvo", "text", {}}, {}));
    ASSERT_NE(mock("AddMethod", {"", "GetCapabilities", "", "as", "ret = ['body']"}).type(),
              QDBusMessage::ErrorMessage);
    EXPECT_FALSE(DesktopNotifier().available()) << "a service without actions cannot offer the choices";
}

// Refuses unless the session bus is the private one the driver started and the service there is the mock.
bool onPrivateMockBus()
{
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const char* expected = std::getenv("QUELVO_TEST_PRIVATE_SESSION_BUS");
    if (address == nullptr || expected == nullptr || std::string(address) != expected ||
        std::string(address).find("quelvo-notify-") == std::string::npos ||
        mock("ClearCalls").type() == QDBusMessage::ErrorMessage) {
        std::cerr << "refusing to run: not on the private test bus with the mock service "
                     "(run this through notification_mock.py)\n";
        return false;
    }
    return true;
}

} // namespace
} // namespace quelvo

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication app(argc, argv);
    return quelvo::onPrivateMockBus() ? RUN_ALL_TESTS() : 1;
}
