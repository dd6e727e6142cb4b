// The least a Qt program does to show a tray icon: the floor under the
// start-up of the real program, measured by startup.py the same way.
// With --window it also shows and hides a plain window of the main view's
// size and place, under the tray, with a text field that takes the focus,
// on each "toggle" sent over the socket the real program listens on: the
// floor under the hotkey row.
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QWidget>

namespace {

// Filled and lettered like a list, with no model, style or layout behind it.
class PlainWindow : public QWidget {
public:
    PlainWindow()
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    {
        setGeometry(0, 33, 702, 540);
        field_.setGeometry(210, 8, 480, 22);
        field_.setPlaceholderText(QStringLiteral("Search"));
        field_.setFocus();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        painter.fillRect(QRect(0, 0, 200, height()), QColor(0xef, 0xf0, 0xf1));
        for (int row = 0; row < 8; ++row)
            painter.drawText(QPoint(286, 60 + row * 64), QStringLiteral("Entry %1").arg(row));
    }

private:
    QLineEdit field_{this};
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QPixmap pixmap(22, 22);
    pixmap.fill(QColor(0xe0, 0x60, 0x20));
    QSystemTrayIcon tray{QIcon(pixmap)};
    tray.show();

    PlainWindow window;
    QLocalServer server;
    if (app.arguments().contains(QStringLiteral("--window"))) {
        const QString path = QDir(qEnvironmentVariable("XDG_RUNTIME_DIR")).filePath(QStringLiteral("net.tarnwick.vantel.socket"));
        QLocalServer::removeServer(path);
        if (!server.listen(path))
            qFatal("cannot listen on %s", qPrintable(path));
        QObject::connect(&server, &QLocalServer::newConnection, [&] {
            while (QLocalSocket* client = server.nextPendingConnection()) {
                QObject::connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
                QObject::connect(client, &QLocalSocket::readyRead, client, [client, &window] {
                    while (client->canReadLine()) {
                        const QByteArray line = client->readLine();
                        if (line.contains("toggle")) {
                            window.setVisible(!window.isVisible());
                            if (window.isVisible())
                                window.activateWindow(); // as the main view takes the keyboard
                        }
                        client->write("{}\n");
                        client->flush();
                    }
                });
            }
        });
    }
    return app.exec();
}
