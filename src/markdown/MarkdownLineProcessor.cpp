#include "markdown/MarkdownLineProcessor.h"

#include "markdown/CharacterSet.h"

namespace vantel {

namespace {

QString trimBlanks(const QString& text)
{
    return CharacterSet::trimmed(text, CharacterSet::whitespaces);
}

QStringList splitAtNewlines(const QString& text)
{
    // Every newline character splits on its own: CR LF leaves an empty line between.
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (CharacterSet::containsScalar(CharacterSet::newlines, text.at(i).unicode())) {
            lines.append(text.mid(start, i - start));
            start = i + 1;
        }
    }
    lines.append(text.mid(start));
    return lines;
}

QString strip(const QString& candidate, const QString& token, Remove removeFrom)
{
    const auto leading = [&](const QString& text) {
        return text.startsWith(token) ? text.mid(token.size()) : text;
    };
    const auto trailing = [&](const QString& text) {
        const QString tail = trimBlanks(token);
        if (tail.isEmpty() || !text.endsWith(tail))
            return text;
        return text.left(text.size() - tail.size());
    };
    switch (removeFrom) {
    case Remove::leading: return leading(candidate);
    case Remove::trailing: return trailing(candidate);
    case Remove::both: return trailing(leading(candidate));
    case Remove::entireLine: {
        QString rest = candidate;
        rest.remove(token);
        return rest.isEmpty() ? QString() : candidate;
    }
    case Remove::none: return candidate;
    }
    return candidate;
}

} // namespace

MarkdownLineProcessor::MarkdownLineProcessor(QList<LineRule> lineRules, MarkdownLineStyle defaultType,
                                             QList<FrontMatterRule> frontMatterRules)
    : m_defaultType(defaultType)
    , m_lineRules(std::move(lineRules))
    , m_frontMatterRules(std::move(frontMatterRules))
    , m_perfomanceLog("MarkdownLineProcessorPerformanceLogging", QStringLiteral("Line Processor"),
                      {QStringLiteral("MarkdownLineProcessor"), QStringLiteral("Markdown Line Processor Performance")})
{
}

QList<MarkdownLine> MarkdownLineProcessor::processLines(const QString& text)
{
    m_perfomanceLog.begin();
    QStringList lines = processFrontMatter(splitAtNewlines(text));
    m_perfomanceLog.logElapsed(QStringLiteral("(Front matter completed)"));

    QList<MarkdownLine> output;
    for (const QString& raw : std::as_const(lines)) {
        if (!processEmptyStrings && raw.isEmpty())
            continue;
        std::optional<MarkdownLine> result = processLine(raw);
        if (!result)
            continue;
        const std::optional<MarkdownLineStyle> previous = styleForPreviousLine(result->lineStyle);
        if (!previous || output.isEmpty()) {
            output.append(*result);
            m_perfomanceLog.logElapsed(QStringLiteral("(line completed: ") + raw);
            continue;
        }
        output.last().lineStyle = *previous;
    }
    return output;
}

QStringList MarkdownLineProcessor::processFrontMatter(QStringList lines)
{
    if (lines.isEmpty() || m_frontMatterRules.isEmpty())
        return lines;
    const QString first = CharacterSet::trimmed(lines.first(), CharacterSet::whitespacesAndNewlines);
    const FrontMatterRule* rule = nullptr;
    for (const FrontMatterRule& candidate : std::as_const(m_frontMatterRules)) {
        if (candidate.openTag == first) {
            rule = &candidate;
            break;
        }
    }
    if (!rule)
        return lines;

    // Without its closing line the block is no front matter: a document that
    // merely begins with the open tag must not lose its text.
    qsizetype close = -1;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (lines.at(i) == rule->closeTag) {
            close = i;
            break;
        }
    }
    if (close < 0)
        return lines;

    for (qsizetype i = 1; i < close; ++i) {
        const QStringList pieces = lines.at(i).split(rule->keyValueSeparator);
        if (pieces.size() < 2)
            continue;
        frontMatterAttributes.insert(pieces.first(), pieces.mid(1).join(QString()));
    }
    QStringList rest = lines.mid(close + 1);
    while (!rest.isEmpty() && rest.first().isEmpty())
        rest.removeFirst();
    return rest;
}

std::optional<MarkdownLine> MarkdownLineProcessor::processLine(const QString& text)
{
    if (text.isEmpty() && processEmptyStrings)
        return MarkdownLine{QString(), *processEmptyStrings};

    for (const LineRule& rule : std::as_const(m_lineRules)) {
        if (rule.token.isEmpty())
            continue;
        const QString candidate = rule.shouldTrim ? trimBlanks(text) : text;
        if (closeToken && candidate != *closeToken)
            return std::nullopt;
        if (!candidate.contains(rule.token))
            continue;
        const QString stripped = strip(candidate, rule.token, rule.removeFrom);
        if (stripped == candidate)
            continue;
        if (rule.changeAppliesTo == ChangeApplication::untilClose) {
            if (closeToken)
                closeToken.reset();
            else
                closeToken = rule.token;
            return std::nullopt;
        }
        return MarkdownLine{rule.shouldTrim ? trimBlanks(stripped) : stripped, rule.type};
    }

    for (const LineRule& rule : std::as_const(m_lineRules)) {
        if (rule.changeAppliesTo != ChangeApplication::previous || rule.token.isEmpty())
            continue;
        const QString candidate = rule.shouldTrim ? trimBlanks(text) : text;
        // A line of blanks only is an empty body line, not an underline.
        if (candidate.isEmpty())
            continue;
        bool allFromToken = true;
        for (const QChar c : candidate) {
            if (!rule.token.contains(c)) {
                allFromToken = false;
                break;
            }
        }
        if (allFromToken)
            return MarkdownLine{QString(), rule.type};
    }

    return MarkdownLine{trimBlanks(text), m_defaultType};
}

} // namespace vantel
