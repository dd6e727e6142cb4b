#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace vantel::platform {

// When a process started, from field 22 of /proc/<pid>/stat (clock ticks
// since boot) and the boot time (the wall clock less CLOCK_BOOTTIME, which
// counts suspended time as the kernel's tick count does). In UTC, never after
// now. None when the process is gone or its line can't be read or makes no
// sense. The file is read bounded: /proc reports a size of 0.
std::optional<QDateTime> processStartTime(qint64 pid, const QString& procRoot = QStringLiteral("/proc"));

} // namespace vantel::platform
