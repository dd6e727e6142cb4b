#pragma once

#include "markdown/MarkdownLog.h"

#include <QString>

namespace vantel {

// A timing log of one stage of the Markdown engine. It is on only when the
// named environment variable is present when it is created.
class PerformanceLog {
public:
    PerformanceLog(const char* environmentVariable, QString identifier, MarkdownLogTarget log);

    void begin();
    void logElapsed(const QString& message);
    void finish();

    bool enablePerfomanceLog() const { return m_enabled; }
    // Seconds since 2001-01-01 at which timing began; 0 while idle.
    double timer() const { return m_timer; }
    const QString& identifier() const { return m_identifier; }

private:
    static double now();

    double m_timer = 0;
    bool m_enabled = false;
    MarkdownLogTarget m_log;
    QString m_identifier;
};

} // namespace vantel
