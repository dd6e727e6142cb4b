#include "markdown/MarkdownLog.h"

#include "platform/Log.h"

#include <QtGlobal>

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
    // The engine's lines are switched on by the environment, not the debug
    // gate, so they are written directly rather than through VLOG.
    static const platform::LogCategory category("Markdown");
    platform::Log::write(category, platform::LogType::Info, QStringLiteral("[%{public}@:%{public}@] %{public}@"),
                         {target.subsystem, target.category, text});
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
