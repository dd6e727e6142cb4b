#include "ChildProcess.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>

namespace vantel::test {

QProcessEnvironment childEnvironment(const QString& mode, const QString& settingsPath)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VANTEL_CONFIG_CHILD"), mode);
    environment.insert(QStringLiteral("VANTEL_CONFIG_CHILD_SETTINGS"), settingsPath);
    return environment;
}

QStringList childArguments(const QString& mode)
{
    return {QStringLiteral("--gtest_also_run_disabled_tests"),
            QStringLiteral("--gtest_filter=DISABLED_ConfigChild.") + mode};
}

QString childProgram()
{
    return QCoreApplication::applicationFilePath();
}

QString runPython(const QString& script, const QStringList& arguments)
{
    QProcess python;
    python.start(QStringLiteral("python3"), QStringList{QStringLiteral("-c"), script} + arguments);
    if (!python.waitForFinished(int(longWait.count()))) {
        ADD_FAILURE() << "python3 did not finish";
        return {};
    }
    const QString output = QString::fromUtf8(python.readAllStandardOutput());
    if (python.exitCode() != 0)
        ADD_FAILURE() << "python3 failed: " << python.readAllStandardError().toStdString();
    return output;
}

} // namespace vantel::test
