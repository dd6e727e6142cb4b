#pragma once

#include "markdown/CharacterRule.h"
#include "markdown/PerformanceLog.h"
#include "markdown/Token.h"

#include <QHash>
#include <QList>
#include <QString>

namespace vantel {

// Turns the text of one line into tokens by running every character rule in turn.
class MarkdownTokeniser {
public:
    explicit MarkdownTokeniser(QList<CharacterRule> rules);
    ~MarkdownTokeniser();
    MarkdownTokeniser(const MarkdownTokeniser&) = delete;
    MarkdownTokeniser& operator=(const MarkdownTokeniser&) = delete;

    QList<Token> tokenise(const QString& line);

    const QList<CharacterRule>& rules() const { return m_rules; }

    QHash<QString, QList<Token>> replacements;
    bool enableLog = false;
    // Reference key to target; set by the document before tokenising.
    QHash<QString, QString> metadataLookup;

    PerformanceLog& totalPerfomanceLog() { return m_totalPerfomanceLog; }
    PerformanceLog& currentPerfomanceLog() { return m_currentPerfomanceLog; }

    // Whether two style lists are the same for joining text into one token.
    static bool sameStyles(const QList<CharacterStyling>& a, const QList<CharacterStyling>& b);

private:
    QList<CharacterRule> m_rules;
    PerformanceLog m_totalPerfomanceLog;
    PerformanceLog m_currentPerfomanceLog;
};

} // namespace vantel
