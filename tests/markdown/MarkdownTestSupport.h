#pragma once

#include "markdown/MarkdownLog.h"
#include "markdown/MarkdownTokeniser.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <mutex>
#include <ostream>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace vantel::test {

// A token as "text|styles|metadata", e.g. "a|italic|" or "x|link|u".
inline QString describe(const Token& token)
{
    QStringList styles;
    for (const CharacterStyling& style : token.characterStyles)
        styles.append(style.description());
    return token.outputString() + QLatin1Char('|') + styles.join(QLatin1Char(',')) + QLatin1Char('|')
        + token.metadataStrings.join(QLatin1Char(','));
}

inline QStringList describe(const QList<Token>& tokens)
{
    QStringList result;
    for (const Token& token : tokens)
        result.append(describe(token));
    return result;
}

// Collects the engine's log lines for the life of the object.
class LogCapture {
public:
    LogCapture()
    {
        MarkdownLog::setSink([this](const MarkdownLogTarget& target, const QString& text) {
            std::lock_guard lock(m_mutex);
            m_lines.append(target.subsystem + QLatin1Char('/') + target.category + QLatin1String(": ") + text);
        });
    }
    ~LogCapture() { MarkdownLog::setSink({}); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    QStringList lines() const
    {
        std::lock_guard lock(m_mutex);
        return m_lines;
    }

private:
    mutable std::mutex m_mutex;
    QStringList m_lines;
};

// Sets an environment variable for the life of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : m_name(name)
    {
        qputenv(m_name, value);
    }
    ~ScopedEnvironment() { qunsetenv(m_name); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
};

} // namespace vantel::test
