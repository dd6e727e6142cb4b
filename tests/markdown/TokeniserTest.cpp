#include "markdown/MarkdownDocument.h"
#include "markdown/MarkdownScanner.h"
#include "markdown/MarkdownTokeniser.h"

#include "MarkdownTestSupport.h"

#include <gtest/gtest.h>

using namespace vantel;
using test::describe;

namespace {

QStringList tokens(const QString& line, const QHash<QString, QString>& lookup = {})
{
    MarkdownTokeniser tokeniser(MarkdownDocument::characterRules());
    tokeniser.metadataLookup = lookup;
    return describe(tokeniser.tokenise(line));
}

QStringList list(std::initializer_list<const char*> items)
{
    QStringList result;
    for (const char* item : items)
        result.append(QString::fromUtf8(item));
    return result;
}

} // namespace

TEST(CharacterRulesTable, HoldsTheEightRulesInOrder)
{
    const QList<CharacterRule> rules = MarkdownDocument::characterRules();
    ASSERT_EQ(rules.size(), 8);
    struct Row {
        const char* primary;
        bool repeating;
        const char* others; // close, metadata open, metadata close
        QList<std::pair<int, CharacterStyle>> styles;
        int min, max;
        bool lookup, boundary, cancel, balanced;
    };
    using C = CharacterStyle;
    const QList<Row> rows = {
        {"![", false, "][]", {{1, C::image}}, 1, 1, true, true, false, false},
        {"![", false, "]()", {{1, C::image}}, 1, 1, false, true, false, false},
        {"[", false, "][]", {{1, C::link}}, 1, 1, true, true, false, false},
        {"[", false, "]()", {{1, C::link}}, 1, 1, false, true, false, false},
        {"`", true, "", {{1, C::code}}, 1, 1, false, false, true, true},
        {"~", true, "", {{2, C::strikethrough}}, 2, 2, false, false, false, false},
        {"*", true, "", {{1, C::italic}, {2, C::bold}}, 1, 2, false, false, false, false},
        {"_", true, "", {{1, C::italic}, {2, C::bold}}, 1, 2, false, false, false, false},
    };
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(i + 1);
        const CharacterRule& rule = rules.at(i);
        const Row& row = rows.at(i);
        EXPECT_EQ(rule.primaryTag.tag, QString::fromUtf8(row.primary));
        EXPECT_EQ(rule.isRepeating(), row.repeating);
        EXPECT_EQ(rule.escapeCharacters, QStringList{QStringLiteral("\\")});
        const QString others = QString::fromUtf8(row.others);
        if (others.isEmpty()) {
            EXPECT_TRUE(rule.tags.isEmpty());
        } else {
            EXPECT_EQ(rule.tagForType(CharacterRuleTagType::close)->tag, others.mid(0, 1));
            EXPECT_EQ(rule.tagForType(CharacterRuleTagType::metadataOpen)->tag, others.mid(1, 1));
            EXPECT_EQ(rule.tagForType(CharacterRuleTagType::metadataClose)->tag, others.mid(2, 1));
        }
        ASSERT_EQ(rule.styles.size(), static_cast<size_t>(row.styles.size()));
        for (const auto& [count, style] : row.styles)
            EXPECT_EQ(rule.styles.at(count).characterStyle(), style);
        EXPECT_EQ(rule.minTags, row.min);
        EXPECT_EQ(rule.maxTags, row.max);
        EXPECT_EQ(rule.metadataLookup, row.lookup);
        EXPECT_EQ(rule.definesBoundary, row.boundary);
        EXPECT_EQ(rule.shouldCancelRemainingRules, row.cancel);
        EXPECT_EQ(rule.balancedTags, row.balanced);
    }
    EXPECT_EQ(rules.at(6).description(),
              QStringLiteral("Character Rule with Open tag: * and current styles : [1: italic, 2: bold] "));
}

TEST(CharacterRule, OrdersItsMinimumAndMaximum)
{
    const CharacterRule rule({QStringLiteral("~"), CharacterRuleTagType::repeating}, {}, {}, {}, 5, 2, false, false,
                             false, false);
    EXPECT_EQ(rule.minTags, 2);
    EXPECT_EQ(rule.maxTags, 5);
    EXPECT_FALSE(rule.tagForType(CharacterRuleTagType::close).has_value());
}

TEST(Tokeniser, PlainAndEmptyLines)
{
    EXPECT_EQ(tokens(QStringLiteral("plain text")), list({"plain text||"}));
    const QList<Token> empty = MarkdownTokeniser(MarkdownDocument::characterRules()).tokenise(QString());
    ASSERT_EQ(empty.size(), 1);
    EXPECT_EQ(empty.first().type, TokenType::string);
    EXPECT_TRUE(empty.first().inputString.isEmpty());
    MarkdownTokeniser bare({});
    EXPECT_EQ(describe(bare.tokenise(QStringLiteral("**a**"))), list({"**a**||"}));
}

TEST(Tokeniser, Emphasis)
{
    EXPECT_EQ(tokens(QStringLiteral("*a*")), list({"a|italic|"}));
    EXPECT_EQ(tokens(QStringLiteral("**a**")), list({"a|bold|"}));
    EXPECT_EQ(tokens(QStringLiteral("***a***")), list({"a|bold,italic|"}));
    EXPECT_EQ(tokens(QStringLiteral("a*b*c")), list({"a||", "b|italic|", "c||"}));
    EXPECT_EQ(tokens(QStringLiteral("**bold** text")), list({"bold|bold|", " text||"}));
    EXPECT_EQ(tokens(QStringLiteral("__a__ and _b_")), list({"a|bold|", " and ||", "b|italic|"}));
    EXPECT_EQ(tokens(QStringLiteral("snake_case_name")), list({"snake||", "case|italic|", "name||"}));
}

TEST(Tokeniser, EmphasisQuirksAndUnpairedTags)
{
    EXPECT_EQ(tokens(QStringLiteral("a * b * c")), list({"a * b * c||"}));
    EXPECT_EQ(tokens(QStringLiteral("*a **b** c*")), list({"a |italic|", "*b||", "* c|italic|"}));
    EXPECT_EQ(tokens(QStringLiteral("**a*")), list({"*a|italic|"}));
    EXPECT_EQ(tokens(QStringLiteral("*a**")), list({"a|italic|", "*||"}));
    EXPECT_EQ(tokens(QStringLiteral("*open only")), list({"*open only||"}));
    // A metadata entry per closing group: the bold group, then the italic one.
    const QList<Token> nested = MarkdownTokeniser(MarkdownDocument::characterRules()).tokenise(QStringLiteral("_x **y**_"));
    ASSERT_EQ(nested.size(), 2);
    EXPECT_EQ(describe(nested.at(1)), QStringLiteral("y|bold,italic|,"));
}

TEST(Tokeniser, Strikethrough)
{
    const QString shortRun = QStringLiteral("MarkdownScanner/Markdown Scanner Scanner: Tag does not meet minimum length");
    {
        // Like every line of the scanner, only with its switch on.
        test::LogCapture capture;
        EXPECT_EQ(tokens(QStringLiteral("~a~")), list({"~a~||"}));
        EXPECT_EQ(capture.lines().count(shortRun), 0);
    }
    {
        test::ScopedEnvironment variable("MarkdownScannerScanner", QByteArray("1"));
        test::LogCapture capture;
        EXPECT_EQ(tokens(QStringLiteral("~a~")), list({"~a~||"}));
        EXPECT_EQ(capture.lines().count(shortRun), 2);
    }
    EXPECT_EQ(tokens(QStringLiteral("~~a~~")), list({"a|strikethrough|"}));
    // Odd runs of three or more used to spin for ever; now they end with what they have.
    EXPECT_EQ(tokens(QStringLiteral("~~~a~~~")), list({"a|strikethrough|"}));
    EXPECT_EQ(tokens(QStringLiteral("~~~~~a~~~~~")), list({"a|strikethrough|"}));
}

TEST(Tokeniser, CodeSpans)
{
    EXPECT_EQ(tokens(QStringLiteral("`code *x*`")), list({"code *x*|code|"}));
    EXPECT_EQ(tokens(QStringLiteral("``a``")), list({"a|code|"}));
    EXPECT_EQ(tokens(QStringLiteral("``a` b")), list({"``a` b||"}));
    EXPECT_EQ(tokens(QStringLiteral("use `ls -l` now")), list({"use ||", "ls -l|code|", " now||"}));
}

TEST(Tokeniser, Links)
{
    EXPECT_EQ(tokens(QStringLiteral("[a](u)")), list({"a|link|u"}));
    EXPECT_EQ(tokens(QStringLiteral("[text](https://example.org/x)")), list({"text|link|https://example.org/x"}));
    EXPECT_EQ(tokens(QStringLiteral("[a] (u)")), list({"[a] (u)||"}));
    EXPECT_TRUE(tokens(QStringLiteral("[](u)")).isEmpty());
    EXPECT_EQ(tokens(QStringLiteral("(a)")), list({"(a)||"}));
    EXPECT_EQ(tokens(QStringLiteral("[a][k]"), {{QStringLiteral("k"), QStringLiteral("https://k")}}),
              list({"a|link|https://k"}));
    EXPECT_EQ(tokens(QStringLiteral("[a][missing]")), list({"a|link|"}));
    EXPECT_EQ(tokens(QStringLiteral("[a](u) and [b](v)")), list({"a|link|u", " and ||", "b|link|v"}));
    EXPECT_EQ(tokens(QStringLiteral("[a](u)[b](v)")), list({"a|link|u", "b|link|v"}));
    EXPECT_EQ(tokens(QStringLiteral("[**a**](u)")), list({"a|link,bold|u,"}));
}

TEST(Tokeniser, Images)
{
    EXPECT_EQ(tokens(QStringLiteral("![i](p)")), list({"i|image|p"}));
    EXPECT_EQ(tokens(QStringLiteral("![i][k]"), {{QStringLiteral("k"), QStringLiteral("pic")}}), list({"i|image|pic"}));
}

TEST(Tokeniser, Escapes)
{
    EXPECT_EQ(tokens(QStringLiteral("\\*a*")), list({"*a*||"}));
    EXPECT_EQ(tokens(QStringLiteral("\\*a\\*")), list({"*a*||"}));
    EXPECT_EQ(tokens(QStringLiteral("a\\b")), list({"a\\b||"}));
    EXPECT_EQ(tokens(QStringLiteral("\\[a](u)")), list({"[a](u)||"}));
}

TEST(Tokeniser, KeepsGraphemeClustersWhole)
{
    // An asterisk with a combining mark is one character and no tag.
    EXPECT_EQ(tokens(QStringLiteral("*\u0301a*")), list({"*\u0301a*||"}));
    EXPECT_EQ(tokens(QStringLiteral("*\U0001F600*")), list({"\U0001F600|italic|"}));
}

TEST(Tokeniser, StyleListsCompareByCaseAndOrder)
{
    using C = CharacterStyle;
    EXPECT_TRUE(MarkdownTokeniser::sameStyles({C::bold, C::italic}, {C::bold, C::italic}));
    EXPECT_FALSE(MarkdownTokeniser::sameStyles({C::bold, C::italic}, {C::italic, C::bold}));
    EXPECT_FALSE(MarkdownTokeniser::sameStyles({C::bold}, {}));
    const CharacterStyling foreign = CharacterStyling::foreign(QStringLiteral("mark"));
    EXPECT_FALSE(MarkdownTokeniser::sameStyles({foreign}, {C::bold}));
    EXPECT_TRUE(MarkdownTokeniser::sameStyles({foreign}, {CharacterStyling::foreign(QStringLiteral("other"))}));
    EXPECT_TRUE(CharacterStyling(C::code).sameStyle(C::code));
    EXPECT_FALSE(CharacterStyling(C::code).sameStyle(foreign));
}

TEST(Token, OutputStringByType)
{
    Token repeating(TokenType::repeatingTag, QStringLiteral("***"));
    EXPECT_EQ(repeating.count, 3);
    repeating.count = 2;
    EXPECT_EQ(repeating.outputString(), QStringLiteral("**"));
    repeating.count = 0;
    EXPECT_TRUE(repeating.outputString().isEmpty());

    Token open(TokenType::openTag, QStringLiteral("["));
    EXPECT_EQ(open.count, 0);
    EXPECT_EQ(open.outputString(), QStringLiteral("["));
    open.isMetadata = true;
    EXPECT_TRUE(open.outputString().isEmpty());

    Token replacement(TokenType::replacement, QStringLiteral("r"));
    replacement.isProcessed = true;
    EXPECT_EQ(replacement.outputString(), QStringLiteral("r"));
    EXPECT_EQ(replacement.tokenIndex, -1);
    EXPECT_EQ(replacement.id.size(), 36);
}

TEST(Scanner, MatchTagMarksTagsAndEscapes)
{
    QList<Element> elements;
    for (const char* c : {"\\", "*", "*", "a"}) {
        Element element;
        element.character = QString::fromUtf8(c);
        elements.append(element);
    }
    const CharacterRule rule = MarkdownDocument::characterRules().at(6);
    MarkdownScanner scanner(elements, rule, {});
    scanner.setPointer(1);
    EXPECT_FALSE(scanner.matchTag(QStringLiteral("*")).has_value());
    EXPECT_EQ(scanner.elements().at(0).type, ElementType::escape);
    scanner.setPointer(2);
    const auto range = scanner.matchTag(QStringLiteral("*"));
    ASSERT_TRUE(range.has_value());
    EXPECT_EQ(range->first, 2);
    EXPECT_EQ(scanner.pointer(), 3);
    EXPECT_EQ(scanner.elements().at(2).type, ElementType::tag);
    scanner.setPointer(4);
    EXPECT_FALSE(scanner.matchTag(QStringLiteral("*")).has_value());
    EXPECT_FALSE(scanner.elementsBetween(MarkdownScanner::Direction::forward, 1).has_value());
    scanner.setPointer(2);
    EXPECT_EQ(scanner.elementsBetween(MarkdownScanner::Direction::backward, 2)->size(), 3);
}

TEST(Tokeniser, LogsRulesOnlyWhenAsked)
{
    {
        test::LogCapture capture;
        tokens(QStringLiteral("**a**"));
        EXPECT_TRUE(capture.lines().isEmpty());
    }
    test::ScopedEnvironment variable("MarkdownTokeniserLogging", QByteArray("1"));
    test::LogCapture capture;
    tokens(QStringLiteral("a"));
    const QStringList lines = capture.lines();
    ASSERT_EQ(lines.size(), 8 * 2 + 2);
    EXPECT_EQ(lines.first(), QStringLiteral("MarkdownTokeniser/Tokenising: ------------------------------"));
    EXPECT_TRUE(lines.at(1).startsWith(QStringLiteral("MarkdownTokeniser/Tokenising: RULE: Character Rule with Open tag: ![")));
    EXPECT_EQ(lines.last(), QStringLiteral("MarkdownTokeniser/Tokenising: =================================="));
}

TEST(Tokeniser, TotalTimerRunsFromCreationToDestruction)
{
    test::ScopedEnvironment variable("MarkdownTokeniserPerformanceLogging", QByteArray());
    test::LogCapture capture;
    {
        MarkdownTokeniser tokeniser(MarkdownDocument::characterRules());
        tokeniser.tokenise(QStringLiteral("x"));
    }
    const QStringList lines = capture.lines();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), QStringLiteral("MarkdownTokeniser/Peformance: --- TIMER Tokeniser Total Run Time began"));
    EXPECT_TRUE(lines.last().startsWith(
        QStringLiteral("MarkdownTokeniser/Peformance: --- TIMER Tokeniser Total Run Time finished. Total time: ")));
    EXPECT_TRUE(lines.contains(QStringLiteral("MarkdownTokeniser/Peformance: --- TIMER Tokeniser Current began")));
}

TEST(Tokeniser, RulesWithoutAUsableStyleCountStillEnd)
{
    const CharacterRule odd({QStringLiteral("="), CharacterRuleTagType::repeating}, {}, {}, {{3, CharacterStyle::bold}},
                            0, 0, false, false, false, false);
    MarkdownTokeniser tokeniser({odd});
    EXPECT_EQ(describe(tokeniser.tokenise(QStringLiteral("==a== =b="))), list({"a||", " ||", "b||"}));
}
