#include "markdown/PerformanceLog.h"

#include <QDateTime>

namespace vantel {

namespace {
// Seconds between 1970-01-01 and 2001-01-01, the reference date of the timer.
constexpr double kReferenceDateOffset = 978307200.0;
}

PerformanceLog::PerformanceLog(const char* environmentVariable, QString identifier, MarkdownLogTarget log)
    : m_enabled(MarkdownLog::environmentHas(environmentVariable))
    , m_log(std::move(log))
    , m_identifier(std::move(identifier))
{
}

double PerformanceLog::now()
{
    return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0 - kReferenceDateOffset;
}

void PerformanceLog::begin()
{
    if (!m_enabled)
        return;
    m_timer = now();
    MarkdownLog::info(m_log, QStringLiteral("--- TIMER %1 began").arg(m_identifier));
}

void PerformanceLog::logElapsed(const QString& message)
{
    if (!m_enabled)
        return;
    if (m_timer == 0)
        begin();
    MarkdownLog::info(m_log, QStringLiteral("TIMER %1: %2 %3")
                                 .arg(m_identifier, QString::asprintf("%f", now() - m_timer), message));
}

void PerformanceLog::finish()
{
    if (!m_enabled)
        return;
    MarkdownLog::info(m_log, QStringLiteral("--- TIMER %1 finished. Total time: %2")
                                 .arg(m_identifier, QString::asprintf("%f", now() - m_timer)));
    m_timer = 0;
}

} // namespace vantel
