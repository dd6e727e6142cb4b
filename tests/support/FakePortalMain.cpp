// The fake portal as a program of its own on the session bus, for tests that
// run Vantel in a child process. It prints "ready", then "bound ID TRIGGER"
// for each shortcut it binds; "activate ID" on standard input emits Activated.
#include "support/FakePortal.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    vantel::test::FakePortal portal(QDBusConnection::sessionBus());
    if (!portal.isRegistered()) {
        std::fprintf(stderr, "the portal's name is not ours\n");
        return 1;
    }
    portal.onBound = [](const QList<vantel::test::FakePortal::Shortcut>& shortcuts) {
        for (const auto& shortcut : shortcuts)
            std::printf("bound %s %s\n", qPrintable(shortcut.id), qPrintable(shortcut.trigger));
        std::fflush(stdout);
    };
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        char buffer[512];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            app.quit();
            return;
        }
        pending.append(buffer, count);
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            const QString line = QString::fromUtf8(pending.left(end)).trimmed();
            pending.remove(0, end + 1);
            if (line.startsWith(QLatin1String("activate ")))
                portal.activate(line.mid(9));
        }
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
