#include "markdown/MarkdownLog.h"

#include <QtGlobal>

#include <cstdio>
#include <mutex>

namespace vantel {

namespace {

std::mutex& sinkMutex()
{
    static std::mutex mutex;
    return mutex;
}

MarkdownLog::Sink& currentSink()
{
    static MarkdownLog::Sink sink;
    return sink;
}

} // namespace

void MarkdownLog::info(const MarkdownLogTarget& target, const QString& text)
{
    Sink sink;
    {
        std::lock_guard lock(sinkMutex());
        sink = currentSink();
    }
    if (sink) {
        sink(target, text);
        return;
    }
    const QByteArray line = QStringLiteral("[%1:%2] %3\n")
                                .arg(target.subsystem, target.category, text)
                                .toUtf8();
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
}

void MarkdownLog::setSink(Sink sink)
{
    std::lock_guard lock(sinkMutex());
    currentSink() = std::move(sink);
}

bool MarkdownLog::environmentHas(const char* variable)
{
    return qEnvironmentVariableIsSet(variable);
}

} // namespace vantel
