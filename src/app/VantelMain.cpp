#include "platform/UnixSignals.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vantel"));
    QApplication::setOrganizationDomain(QStringLiteral("tarnwick.net"));
    QApplication::setQuitOnLastWindowClosed(false);

    vantel::platform::UnixSignals unixSignals;
    QTextStream(stderr) << "Vantel " << VANTEL_VERSION << " is running\n";
    const int status = app.exec();
    QTextStream(stderr) << "Vantel quits"
                        << (unixSignals.receivedSignal() ? QStringLiteral(" on signal %1").arg(unixSignals.receivedSignal())
                                                     : QString())
                        << "\n";
    return status;
}
