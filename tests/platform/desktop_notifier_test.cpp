// Runs only under notification_mock.py, which starts a private bus with a mock notification service.
#include "platform/linux/desktop_notifier.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QStringList>
#include <QVariantMap>
#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>

namespace quelvo {
namespace {

using Strings = std::vector<std::string>;

const Notification kWarning{"Quelvo",
                            "Quelvo will shut down this PC at 22:00 (in 5 minutes)",
                            {{"postpone", "Postpone 15 minutes"}, {"skip", "Skip this time"}}};

// A call's argument as text: lists joined with ",", maps as "key=value", a byte as "byte N".
std::string argumentText(const QVariant& value)
{
    if (value.canConvert<QDBusArgument>()) {
        const auto arg = value.value<QDBusArgument>();
        if (arg.currentType() == QDBusArgument::MapType) {
            QStringList entries;
            const QVariantMap map = qdbus_cast<QVariantMap>(arg);
            for (auto it = map.begin(); it != map.end(); ++it) {
                const bool byte = it.value().typeId() == QMetaType::UChar;
                entries << it.key() + '=' +
                               (byte ? "byte " + QString::number(it.value().toUInt()) : it.value().toString());
            }
            return entries.join(',').toStdString();
        }
    }
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(',').toStdString();
    return value.toString().toStdString();
}

/// The mock service's control interface.
class MockService
{
public:
    QDBusMessage control(const QString& method, const QVariantList& args = {}) const
    {
        QDBusMessage message = QDBusMessage::createMethodCall(
            "org.freedesktop.Notifications", "/org/freedesktop/Notifications", "org.freedesktop.DBus.Mock", method);
        message.setArguments(args);
        return QDBusConnection::sessionBus().call(message);
    }

    void emitSignal(const QString& name, const QString& signature, const QVariantList& args) const
    {
        const auto reply = control("EmitSignal", {"org.freedesktop.Notifications", name, signature, args});
        ASSERT_NE(reply.type(), QDBusMessage::ErrorMessage) << reply.errorMessage().toStdString();
    }

    /// Every call the service received since the last reset, as "Method arg|arg|...".
    [[nodiscard]] Strings calls() const
    {
        const QDBusMessage reply = control("GetCalls");
        if (reply.type() == QDBusMessage::ErrorMessage || reply.arguments().isEmpty())
            return {"GetCalls failed: " + reply.errorMessage().toStdString()};
        Strings calls;
        const auto log = reply.arguments().at(0).value<QDBusArgument>();
        log.beginArray();
        while (!log.atEnd()) {
            quint64 time = 0;
            QString method;
            log.beginStructure();
            log >> time >> method;
            std::string line = method.toStdString();
            log.beginArray();
            for (char separator = ' '; !log.atEnd(); separator = '|') {
                QDBusVariant arg;
                log >> arg;
                line += separator + argumentText(arg.variant());
            }
            log.endArray();
            log.endStructure();
            calls.push_back(line);
        }
        log.endArray();
        return calls;
    }
};

class DesktopNotifierTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(service.control("Reset").type(), QDBusMessage::ErrorMessage);
        ASSERT_NE(service.control("ClearCalls").type(), QDBusMessage::ErrorMessage);
    }

    // Lets the event loop deliver the service's signals until `done` holds or a while has passed.
    template <typename Done> static void waitFor(Done done)
    {
        const QDeadlineTimer deadline(2000);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    // Signals already on their way arrive within this: for checking that one is ignored.
    static void settle()
    {
        const QDeadlineTimer deadline(300);
        while (!deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    MockService service;
};

TEST_F(DesktopNotifierTest, SendsTheTextAndBothChoicesAndHearsTheChosenOne)
{
    DesktopNotifier notifier;
    EXPECT_TRUE(notifier.available());
    Strings heard;
    ASSERT_TRUE(notifier.show(kWarning, [&](std::string_view key) { heard.emplace_back(key); }));
    EXPECT_EQ(service.calls(),
              (Strings{"GetCapabilities",
                       "Notify Quelvo|0|quelvo|Quelvo|Quelvo will shut down this PC at 22:00 (in 5 minutes)|"
                       "postpone,Postpone 15 minutes,skip,Skip this time,default,|urgency=byte 1|-1"}));

    // The mock numbers its first notification 1; another program's notification 7 is not ours.
    service.emitSignal("ActionInvoked", "us", {7U, "skip"});
    service.emitSignal("ActionInvoked", "us", {1U, "postpone"});
    waitFor([&] { return !heard.empty(); });
    service.emitSignal("ActionInvoked", "us", {1U, "default"});
    waitFor([&] { return heard.size() > 1; });
    EXPECT_EQ(heard, (Strings{"postpone", "clicked"}));

    // Once the service has closed it, a late answer for it is not heard.
    service.emitSignal("NotificationClosed", "uu", {1U, 2U});
    service.emitSignal("ActionInvoked", "us", {1U, "skip"});
    settle();
    EXPECT_EQ(heard.size(), 2U);
}

TEST_F(DesktopNotifierTest, ShowsInPlaceOfTheLastAndClosesIt)
{
    DesktopNotifier notifier;
    ASSERT_TRUE(notifier.show(kWarning, {}));
    Strings heard;
    ASSERT_TRUE(notifier.show({"Quelvo", "later", {}}, [&](std::string_view key) { heard.emplace_back(key); }));
    notifier.close();
    service.emitSignal("ActionInvoked", "us", {1U, "default"});
    settle();
    EXPECT_TRUE(heard.empty()) << "closed: its answers are not heard";
    const Strings calls = service.calls();
    ASSERT_EQ(calls.size(), 3U);
    EXPECT_EQ(calls[1], "Notify Quelvo|1|quelvo|Quelvo|later|default,|urgency=byte 1|-1"); // replaces number 1
    EXPECT_EQ(calls[2], "CloseNotification 1");
}

TEST_F(DesktopNotifierTest, UnavailableWithoutActionsOrWithoutService)
{
    const auto reply = service.control("AddMethod", {"", "GetCapabilities", "", "as", "ret = ['body']"});
    ASSERT_NE(reply.type(), QDBusMessage::ErrorMessage) << reply.errorMessage().toStdString();
    EXPECT_FALSE(DesktopNotifier().available()) << "a service without actions cannot offer the choices";

    DesktopNotifier nowhere(QDBusConnection::connectToBus("unix:path=/nonexistent/quelvo-no-bus", "nowhere"));
    EXPECT_FALSE(nowhere.available());
    EXPECT_FALSE(nowhere.show(kWarning, {}));
}

// Refuses unless the session bus is the private one the driver started and the service there is the mock.
bool onPrivateMockBus()
{
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const char* expected = std::getenv("QUELVO_TEST_PRIVATE_SESSION_BUS");
    if (address == nullptr || expected == nullptr || std::string(address) != expected ||
        std::string(address).find("quelvo-notify-") == std::string::npos) {
        std::cerr << "refusing to run: DBUS_SESSION_BUS_ADDRESS is not the private test bus "
                     "(run this through notification_mock.py)\n";
        return false;
    }
    if (MockService().control("ClearCalls").type() == QDBusMessage::ErrorMessage) {
        std::cerr << "refusing to run: the notification service on the test bus is not the mock\n";
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
    if (!quelvo::onPrivateMockBus())
        return 1;
    return RUN_ALL_TESTS();
}
