#include "platform/Log.h"

#include "platform/JournalWriter.h"

#include <QtEndian>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <vector>

#ifndef VANTEL_BUNDLE_ID
#define VANTEL_BUNDLE_ID "net.tarnwick.vantel"
#endif

namespace vantel::platform::Log {

namespace {

std::atomic<bool> g_debugLogging{false};

const QString kPlaceholder = QStringLiteral("%{public}@");

struct SinkRegistry {
    std::mutex mutex;
    std::vector<CaptureSink*> sinks;
};

SinkRegistry& sinkRegistry()
{
    static SinkRegistry* registry = new SinkRegistry;
    return *registry;
}

std::mutex& stderrMutex()
{
    static std::mutex* mutex = new std::mutex;
    return *mutex;
}

QtMsgType qtType(LogType type)
{
    switch (type) {
    case LogType::Default:
    case LogType::Info:
        return QtInfoMsg;
    case LogType::Error:
        return QtWarningMsg;
    case LogType::Fault:
        return QtCriticalMsg;
    }
    return QtInfoMsg;
}

void appendField(QByteArray& out, const char* key, const QByteArray& value)
{
    out.append(key);
    if (value.contains('\n')) {
        // The binary form: key, newline, 64-bit little-endian length, data.
        out.append('\n');
        const quint64 size = qToLittleEndian(static_cast<quint64>(value.size()));
        out.append(reinterpret_cast<const char*>(&size), sizeof size);
        out.append(value);
    } else {
        out.append('=');
        out.append(value);
    }
    out.append('\n');
}

void writeStderr(const Record& record)
{
    const QByteArray line = formatStderrLine(record).toUtf8() + '\n';
    std::lock_guard lock(stderrMutex());
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stderr);
    std::fflush(stderr);
}

} // namespace

bool debugLogging()
{
    return g_debugLogging.load(std::memory_order_relaxed);
}

void setDebugLogging(bool on)
{
    g_debugLogging.store(on, std::memory_order_relaxed);
}

QString subsystem()
{
    static const QString id = QStringLiteral(VANTEL_BUNDLE_ID);
    return id;
}

const LogCategory& defaultHandle()
{
    static const LogCategory category("default");
    return category;
}

QString render(const QString& format, const QStringList& args)
{
    QString out;
    out.reserve(format.size() + 16 * args.size());
    qsizetype from = 0;
    qsizetype argument = 0;
    for (;;) {
        const qsizetype at = format.indexOf(kPlaceholder, from);
        if (at < 0)
            break;
        out.append(QStringView(format).mid(from, at - from));
        if (argument < args.size())
            out.append(args.at(argument));
        else
            out.append(QStringLiteral("<missing>"));
        ++argument;
        from = at + kPlaceholder.size();
    }
    out.append(QStringView(format).mid(from));
    return out;
}

QString typeName(LogType type)
{
    switch (type) {
    case LogType::Default:
        return QStringLiteral("default");
    case LogType::Info:
        return QStringLiteral("info");
    case LogType::Error:
        return QStringLiteral("error");
    case LogType::Fault:
        return QStringLiteral("fault");
    }
    return QStringLiteral("default");
}

int journalPriority(LogType type)
{
    switch (type) {
    case LogType::Default:
        return 5;
    case LogType::Info:
        return 6;
    case LogType::Error:
        return 3;
    case LogType::Fault:
        return 2;
    }
    return 5;
}

QByteArray encodeJournalEntry(const Record& record)
{
    QByteArray out;
    appendField(out, "MESSAGE", record.message.toUtf8());
    appendField(out, "PRIORITY", QByteArray::number(journalPriority(record.type)));
    appendField(out, "SYSLOG_IDENTIFIER", QByteArrayLiteral("Vantel"));
    appendField(out, "SUBSYSTEM", record.subsystem.toUtf8());
    appendField(out, "CATEGORY", record.category.toUtf8());
    return out;
}

QString formatStderrLine(const Record& record)
{
    return record.subsystem + QLatin1Char('[') + record.category + QStringLiteral("] <") + typeName(record.type)
        + QStringLiteral(">: ") + record.message;
}

void setJournalSocketPath(const QString& path)
{
    JournalWriter::shared().setSocketPath(path.toUtf8());
}

void write(const LogCategory& category, LogType type, const QString& format, const QStringList& args)
{
    if (!category.qtCategory().isEnabled(qtType(type)))
        return;
    const Record record{subsystem(), category.name(), type, render(format, args)};
    {
        SinkRegistry& registry = sinkRegistry();
        std::lock_guard lock(registry.mutex);
        for (CaptureSink* sink : registry.sinks)
            sink->append(record);
    }
    JournalWriter& journal = JournalWriter::shared();
    if (journal.available() && journal.send(encodeJournalEntry(record)))
        return;
    writeStderr(record);
}

// CaptureSink

struct CaptureSink::Storage {
    mutable std::mutex mutex;
    QList<Record> records;
};

CaptureSink::CaptureSink()
    : storage_(std::make_unique<Storage>())
{
    SinkRegistry& registry = sinkRegistry();
    std::lock_guard lock(registry.mutex);
    registry.sinks.push_back(this);
}

CaptureSink::~CaptureSink()
{
    SinkRegistry& registry = sinkRegistry();
    std::lock_guard lock(registry.mutex);
    std::erase(registry.sinks, this);
}

void CaptureSink::append(const Record& record)
{
    std::lock_guard lock(storage_->mutex);
    storage_->records.append(record);
}

QList<Record> CaptureSink::records() const
{
    std::lock_guard lock(storage_->mutex);
    return storage_->records;
}

QStringList CaptureSink::messages() const
{
    std::lock_guard lock(storage_->mutex);
    QStringList out;
    out.reserve(storage_->records.size());
    for (const Record& record : storage_->records)
        out.append(record.message);
    return out;
}

void CaptureSink::clear()
{
    std::lock_guard lock(storage_->mutex);
    storage_->records.clear();
}

} // namespace vantel::platform::Log
