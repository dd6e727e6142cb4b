#pragma once

#include "markdown/FrontMatterRule.h"
#include "markdown/LineRule.h"
#include "markdown/MarkdownLine.h"
#include "markdown/PerformanceLog.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace vantel {

// Splits a Markdown text into styled lines by an ordered table of line rules.
class MarkdownLineProcessor {
public:
    MarkdownLineProcessor(QList<LineRule> lineRules, MarkdownLineStyle defaultType,
                          QList<FrontMatterRule> frontMatterRules);

    QList<MarkdownLine> processLines(const QString& text);
    QStringList processFrontMatter(QStringList lines);
    std::optional<MarkdownLine> processLine(const QString& text);

    // When set, empty lines remain and get this style; otherwise they are dropped.
    std::optional<MarkdownLineStyle> processEmptyStrings;
    // Grows with every run; never cleared.
    QHash<QString, QString> frontMatterAttributes;
    // The token of the open block of an until-close rule, if any.
    std::optional<QString> closeToken;

    MarkdownLineStyle defaultType() const { return m_defaultType; }
    const QList<LineRule>& lineRules() const { return m_lineRules; }
    const QList<FrontMatterRule>& frontMatterRules() const { return m_frontMatterRules; }
    PerformanceLog& perfomanceLog() { return m_perfomanceLog; }

private:
    MarkdownLineStyle m_defaultType;
    QList<LineRule> m_lineRules;
    QList<FrontMatterRule> m_frontMatterRules;
    PerformanceLog m_perfomanceLog;
};

} // namespace vantel
