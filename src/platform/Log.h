#pragma once

#include "platform/LogCategory.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace vantel::platform {

// The program's diagnostics: one line per call, with subsystem, category,
// type and message. Lines go to the journal when its socket exists, else to
// stderr, and to every live CaptureSink. Call sites write through VLOG, which
// checks the debug-logging gate first.
namespace Log {

// The gate every log site reads before it builds its line; off at start.
bool debugLogging();
void setDebugLogging(bool on);

// The bundle identifier; read once.
QString subsystem();

// For the few call sites that have no category of their own.
const LogCategory& defaultHandle();

// Each "%{public}@" replaced, in order, by the next argument. Arguments are
// inserted literally (a placeholder inside an argument stays as it is). A
// placeholder without an argument shows as "<missing>"; surplus arguments are
// ignored.
QString render(const QString& format, const QStringList& args);

// Writes one line whatever the gate says (VLOG checks it). Qt's filter rules
// for the category's Qt category still apply.
void write(const LogCategory& category, LogType type, const QString& format, const QStringList& args = {});

QString typeName(LogType type);
// The journal's priority for a log type (syslog levels).
int journalPriority(LogType type);

struct Record {
    QString subsystem;
    QString category;
    LogType type;
    QString message;
};

// The journal's native datagram for one record.
QByteArray encodeJournalEntry(const Record& record);
// The stderr line for one record, without the line end.
QString formatStderrLine(const Record& record);

// Where the journal is sought; an empty path restores the system's socket.
// For tests.
void setJournalSocketPath(const QString& path);

// While a sink lives, every written record is copied into it as well.
// Thread-safe. For tests.
class CaptureSink {
public:
    CaptureSink();
    ~CaptureSink();
    CaptureSink(const CaptureSink&) = delete;
    CaptureSink& operator=(const CaptureSink&) = delete;

    QList<Record> records() const;
    QStringList messages() const;
    void clear();

    void append(const Record& record);

private:
    struct Storage;
    std::unique_ptr<Storage> storage_;
};

} // namespace Log

} // namespace vantel::platform

// A gated log line: while debug logging is off nothing is built or written,
// the arguments are not even evaluated.
#define VLOG(category, type, format, ...)                                                               \
    do {                                                                                                \
        if (::vantel::platform::Log::debugLogging())                                                    \
            ::vantel::platform::Log::write((category), (type), QStringLiteral(format),                  \
                                           QStringList{__VA_ARGS__});                                   \
    } while (0)
