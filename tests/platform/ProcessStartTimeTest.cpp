#include "platform/ProcessStartTime.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <unistd.h>

using vantel::platform::processStartTime;

// Fake stat lines: "pid (name) state", fields 4 to 21, the start, then more.
TEST(ProcessStartTimeTest, ReadsTheStartFromTheStatLineWhateverTheCommandName)
{
    const QString root = vantel::test::makeTempDir(QStringLiteral("proc"));
    const qint64 tick = ::sysconf(_SC_CLK_TCK);
    const auto fake = [&root](int pid, const QByteArray& name, const QByteArray& start, int fields = 18) {
        QDir().mkpath(root + QStringLiteral("/%1").arg(pid));
        QFile file(root + QStringLiteral("/%1/stat").arg(pid));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("4242 (" + name + ") S" + QByteArray(" 7").repeated(fields) + " " + start + " 1000 2000\n");
    };
    fake(1, "plain", QByteArray::number(tick * 10));
    fake(2, "a) (b 22 23", QByteArray::number(tick * 25));
    const std::optional<QDateTime> first = processStartTime(1, root);
    const std::optional<QDateTime> second = processStartTime(2, root);
    ASSERT_TRUE(first && second);
    EXPECT_NEAR(first->msecsTo(*second), 15000, 1); // the clocks are read anew for each
    EXPECT_LT(*second, QDateTime::currentDateTimeUtc());

    // Damage, a start past the present, a process gone: no start.
    fake(3, "word", "x");
    fake(4, "cut", "1", 2);
    fake(5, "future", "99999999999999999");
    fake(6, "overflow", "18446744073709551615");
    for (const qint64 pid : {3, 4, 5, 6, 7, 0, -1})
        EXPECT_EQ(processStartTime(pid, root), std::nullopt) << pid;
}
