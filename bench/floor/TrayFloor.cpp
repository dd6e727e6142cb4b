// The least a Qt program does to show a tray icon: the floor under the
// start-up of the real program, measured by startup.py the same way.
#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QPixmap pixmap(22, 22);
    pixmap.fill(QColor(0xe0, 0x60, 0x20));
    QSystemTrayIcon tray{QIcon(pixmap)};
    tray.show();
    return app.exec();
}
