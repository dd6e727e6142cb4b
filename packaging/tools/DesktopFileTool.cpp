// Writes the desktop file that an install puts under share/applications: the
// text the program itself writes into the user's folder (the same MIME
// claims, the same Exec quoting), naming the installed program and icon.
#include "shell/ApplicationDesktopFile.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    QTextStream err(stderr);
    if (arguments.size() != 2 || arguments.at(0).isEmpty() || arguments.at(1).isEmpty()) {
        err << "usage: vantel_desktop_file PROGRAM ICON-NAME\n";
        return 2;
    }
    const std::optional<QString> contents = vantel::ApplicationDesktopFile::contents(arguments.at(0));
    if (!contents) {
        err << "vantel_desktop_file: " << arguments.at(0) << " can't be named in an Exec= line\n";
        return 1;
    }
    QStringList lines = contents->split(u'\n');
    qsizetype replaced = 0;
    for (QString& line : lines) {
        if (line.startsWith(QLatin1String("Icon="))) {
            line = QStringLiteral("Icon=") + arguments.at(1);
            ++replaced;
        }
    }
    if (replaced != 1) {
        err << "vantel_desktop_file: the desktop file has " << replaced << " Icon= lines, expected one\n";
        return 1;
    }
    QTextStream(stdout) << lines.join(u'\n');
    return 0;
}
