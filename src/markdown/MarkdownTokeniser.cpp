#include "markdown/MarkdownTokeniser.h"

#include "markdown/CharacterSet.h"
#include "markdown/Element.h"
#include "markdown/MarkdownScanner.h"

#include <algorithm>

namespace vantel {

namespace {

const MarkdownLogTarget& tokenisingLog()
{
    static const MarkdownLogTarget target{QStringLiteral("MarkdownTokeniser"), QStringLiteral("Tokenising")};
    return target;
}

MarkdownLogTarget performanceLog()
{
    return {QStringLiteral("MarkdownTokeniser"), QStringLiteral("Peformance")};
}

bool allCharacterStyles(const QList<CharacterStyling>& styles)
{
    return std::all_of(styles.cbegin(), styles.cend(),
                       [](const CharacterStyling& style) { return style.characterStyle().has_value(); });
}

} // namespace

MarkdownTokeniser::MarkdownTokeniser(QList<CharacterRule> rules)
    : enableLog(MarkdownLog::environmentHas("MarkdownTokeniserLogging"))
    , m_rules(std::move(rules))
    , m_totalPerfomanceLog("MarkdownTokeniserPerformanceLogging", QStringLiteral("Tokeniser Total Run Time"),
                           performanceLog())
    , m_currentPerfomanceLog("MarkdownTokeniserPerformanceLogging", QStringLiteral("Tokeniser Current"),
                             performanceLog())
{
    m_totalPerfomanceLog.begin();
}

MarkdownTokeniser::~MarkdownTokeniser()
{
    m_totalPerfomanceLog.finish();
}

bool MarkdownTokeniser::sameStyles(const QList<CharacterStyling>& a, const QList<CharacterStyling>& b)
{
    const bool aOurs = allCharacterStyles(a);
    const bool bOurs = allCharacterStyles(b);
    if (!aOurs || !bOurs)
        return aOurs == bOurs;
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a.at(i).characterStyle() != b.at(i).characterStyle())
            return false;
    }
    return true;
}

QList<Token> MarkdownTokeniser::tokenise(const QString& line)
{
    if (m_rules.isEmpty() || line.isEmpty())
        return {Token(TokenType::string, line)};

    m_currentPerfomanceLog.begin();

    QList<Element> elements;
    for (const QString& character : CharacterSet::characters(line)) {
        Element element;
        element.character = character;
        if (CharacterSet::characterInSet(character, CharacterSet::newlines))
            element.type = ElementType::newline;
        else if (CharacterSet::characterInSet(character, CharacterSet::whitespaces))
            element.type = ElementType::space;
        else
            element.type = ElementType::string;
        elements.append(element);
    }

    for (const CharacterRule& rule : std::as_const(m_rules)) {
        if (enableLog) {
            MarkdownLog::info(tokenisingLog(), QStringLiteral("------------------------------"));
            MarkdownLog::info(tokenisingLog(), QStringLiteral("RULE: ") + rule.description());
        }
        // The "%@" of this marker is never filled in.
        m_currentPerfomanceLog.logElapsed(QStringLiteral("(beginning rule step %@)"));
        MarkdownScanner scanner(std::move(elements), rule, metadataLookup);
        elements = scanner.scan();
    }

    QList<Token> tokens;
    QString accumulator;
    const Element* lastKept = elements.isEmpty() ? nullptr : &elements.first();
    const auto flush = [&] {
        if (accumulator.isEmpty() || !lastKept)
            return;
        Token token(TokenType::string, accumulator, lastKept->styles);
        token.metadataStrings = lastKept->metadata;
        tokens.append(token);
        accumulator.clear();
    };
    for (const Element& element : std::as_const(elements)) {
        switch (element.type) {
        case ElementType::escape:
            break;
        case ElementType::tag:
        case ElementType::metadata:
            flush();
            break;
        case ElementType::string:
        case ElementType::space:
        case ElementType::newline:
            if (!sameStyles(element.styles, lastKept->styles))
                flush();
            accumulator += element.character;
            lastKept = &element;
            break;
        }
    }
    flush();

    m_currentPerfomanceLog.logElapsed(QStringLiteral("(finished all rules)"));
    if (enableLog) {
        MarkdownLog::info(tokenisingLog(), QStringLiteral("=====RULE PROCESSING COMPLETE====="));
        MarkdownLog::info(tokenisingLog(), QStringLiteral("=================================="));
    }
    return tokens;
}

} // namespace vantel
