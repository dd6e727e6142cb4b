#include "platform/ProcessStartTime.h"

#include "platform/UserFileRead.h"

#include <time.h>
#include <unistd.h>

namespace vantel::platform {

namespace {

// A stat line is a few hundred bytes; the command name in it is at most 64.
constexpr qint64 maximumStatSize = 4096;
// Field 22 counted from the first field after the command name (field 3).
constexpr int fieldsAfterName = 22 - 3;

std::optional<qint64> nanoseconds(clockid_t clock)
{
    timespec now{};
    if (::clock_gettime(clock, &now) != 0)
        return std::nullopt;
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

} // namespace

std::optional<QDateTime> processStartTime(qint64 pid, const QString& procRoot)
{
    if (pid <= 0)
        return std::nullopt;
    const UserFileRead read = readUserFile(procRoot + u'/' + QString::number(pid) + QStringLiteral("/stat"),
                                           maximumStatSize);
    if (!read.ok())
        return std::nullopt;
    // The command name may hold spaces and parentheses: the fields start after its last ')'.
    const qsizetype nameEnd = read.data.lastIndexOf(')');
    if (nameEnd < 0)
        return std::nullopt;
    const QList<QByteArray> fields = read.data.mid(nameEnd + 1).simplified().split(' ');
    if (fields.size() <= fieldsAfterName)
        return std::nullopt;
    bool ok = false;
    const qulonglong ticks = fields[fieldsAfterName].toULongLong(&ok);
    const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    const std::optional<qint64> wallClock = nanoseconds(CLOCK_REALTIME);
    const std::optional<qint64> sinceBoot = nanoseconds(CLOCK_BOOTTIME);
    if (!ok || ticksPerSecond <= 0 || !wallClock || !sinceBoot)
        return std::nullopt;
    // A start after the present is no start; checked first, so nothing below overflows.
    constexpr qint64 second = 1'000'000'000;
    const qulonglong perSecond = qulonglong(ticksPerSecond);
    if (ticks / perSecond > qulonglong(*sinceBoot / second))
        return std::nullopt;
    const qint64 afterBoot = qint64(ticks / perSecond) * second + qint64(ticks % perSecond) * second / ticksPerSecond;
    if (afterBoot > *sinceBoot)
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch((*wallClock - *sinceBoot + afterBoot) / (second / 1000), Qt::UTC);
}

} // namespace vantel::platform
