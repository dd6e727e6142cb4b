#include "platform/ErrorReasons.h"
#include "platform/LocalizedStrings.h"
#include "platform/SafeFile.h"
#include "platform/UserFileRead.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QFile>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

using namespace vantel;
using namespace vantel::platform;

namespace {

QString reasonOf(GQuark domain, int code, const char* message)
{
    GError* error = g_error_new_literal(domain, code, message);
    const QString reason = reasonForGError(error);
    g_error_free(error);
    return reason;
}

// Run only under a German locale, for which the C library has no texts of
// its own: what permissions stop is told in Vantel's German, and a cause
// without a text of ours keeps the system's words as a detail.
TEST(GermanErrorReasons, AWriteOrReadThatPermissionsStopAndAnUnknownCauseSayWhy)
{
    ASSERT_EQ(LocalizedStrings::main().language(), QStringLiteral("de"));
    EXPECT_EQ(reasonForErrno(EMFILE), QStringLiteral("Systemfehler: ") + QString::fromLocal8Bit(std::strerror(EMFILE)));
    EXPECT_EQ(reasonOf(G_IO_ERROR, G_IO_ERROR_PERMISSION_DENIED, "Permission denied"),
              QStringLiteral("Zugriff verweigert"));
    EXPECT_EQ(reasonOf(G_IO_ERROR, G_IO_ERROR_NOT_SUPPORTED, "Operation not supported"),
              QStringLiteral("Systemfehler: Operation not supported"));

    ::chmod(QFile::encodeName(test::testHome()).constData(), 0755);
    const QString folder = test::makeTempDir(QStringLiteral("german-reasons"));
    const QString secret = folder + QStringLiteral("/secret.plist");
    ASSERT_TRUE(writeFileSafely(secret, "the owner's"));
    ::chmod(QFile::encodeName(folder).constData(), 0555);
    const int code = test::exitCodeAsUnprivilegedChild([&] {
        const WriteResult written = writeFileSafely(folder + QStringLiteral("/settings.plist"), "x");
        const UserFileRead read = readUserFile(secret, 1024);
        const QString wanted = QStringLiteral("In %1 kann keine Datei angelegt werden: Zugriff verweigert").arg(folder);
        if (written.error == wanted && read.error == QStringLiteral("Zugriff verweigert"))
            return 0;
        std::fprintf(stderr, "%s\n%s\n", qPrintable(written.error), qPrintable(read.error));
        return 1;
    });
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    EXPECT_EQ(code, 0);
}

} // namespace
