#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace vantel::test {

// This test program started again to run one disabled ConfigChild test, which does
// its work only when VANTEL_CONFIG_CHILD names it. The child has a throw-away
// home of its own; the files it shares with the parent are named by the
// environment.
QProcessEnvironment childEnvironment(const QString& mode, const QString& settingsPath);
QStringList childArguments(const QString& mode);
QString childProgram();

// Runs python3 with the script and arguments; its standard output, or a
// failed test when it exits with an error.
QString runPython(const QString& script, const QStringList& arguments);

} // namespace vantel::test
