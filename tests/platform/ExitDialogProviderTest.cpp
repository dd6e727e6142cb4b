#include "platform/ExitDialogProvider.h"
#include "platform/Log.h"
#include "support/PrivateBus.h"

#include <gtest/gtest.h>

#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QScopeGuard>
#include <QThread>

#include <atomic>

using vantel::platform::AlertRequest;
using vantel::platform::ExitDialogProvider;
namespace Log = vantel::platform::Log;

namespace {

// A notification server on a private bus that answers Notify with `answer`:
// an id ("u") from a real one, anything from another process owning its name.
// It answers on a thread of its own, while the caller's waits.
class FakeNotifications final : public QDBusVirtualObject {
public:
    QVariantList answer;
    std::atomic<int> notified{0};
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        ++notified;
        return connection.send(message.createReply(answer));
    }
};

TEST(ExitDialogProviderTest, ANotifyAnswerOfAnotherTypeIsNoNotification)
{
    vantel::test::PrivateBus bus;
    ASSERT_TRUE(bus.start()) << "dbus-daemon could not give a private bus";
    QDBusConnection server = bus.connect(QStringLiteral("vantel-fake-notifications"));
    FakeNotifications notifications;
    QThread thread;
    thread.start();
    notifications.moveToThread(&thread);
    const auto stop = qScopeGuard([&] {
        QThread* const main = QThread::currentThread();
        QMetaObject::invokeMethod(&notifications, [&] { notifications.moveToThread(main); }, Qt::BlockingQueuedConnection);
        thread.quit();
        thread.wait();
    });
    ASSERT_TRUE(server.registerVirtualObject(QStringLiteral("/org/freedesktop/Notifications"), &notifications));
    ASSERT_TRUE(server.registerService(QStringLiteral("org.freedesktop.Notifications")));
    const QDBusConnection client = bus.connect(QStringLiteral("vantel-notify-client"));
    Log::CaptureSink log;
    Log::setDebugLogging(true);
    const auto alert = [&](const QVariantList& answer) {
        notifications.answer = answer;
        ExitDialogProvider provider(client);
        AlertRequest request;
        request.messageText = QStringLiteral("Saved");
        request.informativeText = QStringLiteral("All");
        provider.runAlert(request);
        return log.messages().filter(QStringLiteral("On the way out: Saved")).takeLast();
    };
    for (const QVariantList& wrong : {QVariantList{QStringLiteral("7")}, QVariantList{-7}, QVariantList{7u, 7u}, QVariantList{}})
        EXPECT_TRUE(alert(wrong).endsWith(QStringLiteral("(no notification service took it)")));
    EXPECT_TRUE(alert({7u}).endsWith(QStringLiteral("(told by a desktop notification)")));
    Log::setDebugLogging(false);
    EXPECT_EQ(notifications.notified, 5);
    EXPECT_EQ(log.messages().filter(QStringLiteral("answer to Notify is of type")).size(), 1)
        << log.messages().join(u'\n').toStdString();
    server.unregisterObject(QStringLiteral("/org/freedesktop/Notifications"));
}

} // namespace
