#include "markdown/MarkdownDocument.h"
#include "markdown/MarkdownLineProcessor.h"

#include "MarkdownTestSupport.h"

#include <gtest/gtest.h>

using namespace vantel;
using S = MarkdownLineStyle;

namespace {

MarkdownLineProcessor makeProcessor()
{
    return MarkdownLineProcessor(MarkdownDocument::lineRules(), S::body, MarkdownDocument::frontMatterRules());
}

struct Expected {
    QString text;
    S style;
};

void expectLines(const QList<MarkdownLine>& lines, const QList<Expected>& expected)
{
    ASSERT_EQ(lines.size(), expected.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines.at(i).line, expected.at(i).text) << "line " << i;
        EXPECT_EQ(lines.at(i).lineStyle, expected.at(i).style) << "line " << i << ": " << lines.at(i).line.toStdString();
    }
}

} // namespace

TEST(LineRulesTable, HoldsTheTwentyRulesInOrder)
{
    struct Row {
        const char* token;
        Remove remove;
        S type;
        bool trim;
        ChangeApplication change;
    };
    using R = Remove;
    using C = ChangeApplication;
    const Row rows[] = {
        {"=", R::entireLine, S::previousH1, true, C::previous},
        {"-", R::entireLine, S::previousH2, true, C::previous},
        {"\t\t- ", R::leading, S::unorderedListIndentSecondOrder, false, C::current},
        {"\t- ", R::leading, S::unorderedListIndentFirstOrder, false, C::current},
        {"- ", R::leading, S::unorderedList, true, C::current},
        {"\t\t* ", R::leading, S::unorderedListIndentSecondOrder, false, C::current},
        {"\t* ", R::leading, S::unorderedListIndentFirstOrder, false, C::current},
        {"\t\t1. ", R::leading, S::orderedListIndentSecondOrder, false, C::current},
        {"\t1. ", R::leading, S::orderedListIndentFirstOrder, false, C::current},
        {"1. ", R::leading, S::orderedList, true, C::current},
        {"* ", R::leading, S::unorderedList, true, C::current},
        {"    ", R::leading, S::codeblock, false, C::current},
        {"\t", R::leading, S::codeblock, false, C::current},
        {">", R::leading, S::blockquote, true, C::current},
        {"###### ", R::both, S::h6, true, C::current},
        {"##### ", R::both, S::h5, true, C::current},
        {"#### ", R::both, S::h4, true, C::current},
        {"### ", R::both, S::h3, true, C::current},
        {"## ", R::both, S::h2, true, C::current},
        {"# ", R::both, S::h1, true, C::current},
    };
    const QList<LineRule> rules = MarkdownDocument::lineRules();
    ASSERT_EQ(rules.size(), 20);
    for (int i = 0; i < 20; ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ(rules.at(i).token, QString::fromUtf8(rows[i].token));
        EXPECT_EQ(rules.at(i).removeFrom, rows[i].remove);
        EXPECT_EQ(rules.at(i).type, rows[i].type);
        EXPECT_EQ(rules.at(i).shouldTrim, rows[i].trim);
        EXPECT_EQ(rules.at(i).changeAppliesTo, rows[i].change);
    }
    const QList<FrontMatterRule> frontMatter = MarkdownDocument::frontMatterRules();
    ASSERT_EQ(frontMatter.size(), 1);
    EXPECT_EQ(frontMatter.first().openTag, QStringLiteral("---"));
    EXPECT_EQ(frontMatter.first().closeTag, QStringLiteral("---"));
    EXPECT_EQ(frontMatter.first().keyValueSeparator, QLatin1Char(':'));
}

TEST(LineProcessor, StripsMarkersByTheFirstRuleThatApplies)
{
    MarkdownLineProcessor processor = makeProcessor();
    const QList<std::pair<QString, Expected>> cases = {
        {QStringLiteral("## Word ##"), {QStringLiteral("Word"), S::h2}},
        {QStringLiteral("###### Six"), {QStringLiteral("Six"), S::h6}},
        {QStringLiteral("\t- word"), {QStringLiteral("word"), S::unorderedListIndentFirstOrder}},
        {QStringLiteral("  - word"), {QStringLiteral("word"), S::unorderedList}},
        {QStringLiteral("\t\t* word"), {QStringLiteral("word"), S::unorderedListIndentSecondOrder}},
        {QStringLiteral("\t1. word"), {QStringLiteral("word"), S::orderedListIndentFirstOrder}},
        {QStringLiteral("1. word"), {QStringLiteral("word"), S::orderedList}},
        {QStringLiteral("2. word"), {QStringLiteral("2. word"), S::body}},
        {QStringLiteral("      word"), {QStringLiteral("  word"), S::codeblock}},
        {QStringLiteral("\tcode"), {QStringLiteral("code"), S::codeblock}},
        {QStringLiteral("> word"), {QStringLiteral("word"), S::blockquote}},
        {QStringLiteral("---"), {QString(), S::previousH2}},
        {QStringLiteral("well-known"), {QStringLiteral("well-known"), S::body}},
        {QStringLiteral("#Title"), {QStringLiteral("#Title"), S::body}},
        {QStringLiteral("# "), {QStringLiteral("#"), S::body}},
        {QStringLiteral("  padded  "), {QStringLiteral("padded"), S::body}},
    };
    for (const auto& [input, expected] : cases) {
        SCOPED_TRACE(input.toStdString());
        const std::optional<MarkdownLine> line = processor.processLine(input);
        ASSERT_TRUE(line.has_value());
        EXPECT_EQ(line->line, expected.text);
        EXPECT_EQ(line->lineStyle, expected.style);
    }
}

TEST(LineProcessor, UnderlinesTurnTheLineAboveIntoHeadings)
{
    MarkdownLineProcessor processor = makeProcessor();
    expectLines(processor.processLines(QStringLiteral("Title\n=====\nSub\n-----\nText")),
                {{QStringLiteral("Title"), S::h1}, {QStringLiteral("Sub"), S::h2}, {QStringLiteral("Text"), S::body}});
    expectLines(processor.processLines(QStringLiteral("One\n===\nTwo\n===")),
                {{QStringLiteral("One"), S::h1}, {QStringLiteral("Two"), S::h1}});
    // Nothing above: the underline stays as an empty line of its own.
    expectLines(processor.processLines(QStringLiteral("===\nText")),
                {{QString(), S::previousH1}, {QStringLiteral("Text"), S::body}});
    expectLines(processor.processLines(QStringLiteral("-")), {{QString(), S::previousH2}});
}

TEST(LineProcessor, BlankOnlyLineIsAnEmptyBodyLineNotAnUnderline)
{
    MarkdownLineProcessor processor = makeProcessor();
    expectLines(processor.processLines(QStringLiteral("Text\n   \nMore")),
                {{QStringLiteral("Text"), S::body}, {QString(), S::body}, {QStringLiteral("More"), S::body}});
    processor.processEmptyStrings = S::body;
    expectLines(processor.processLines(QStringLiteral("Text\n \n")),
                {{QStringLiteral("Text"), S::body}, {QString(), S::body}, {QString(), S::body}});
}

TEST(LineProcessor, EmptyLinesDependOnProcessEmptyStrings)
{
    MarkdownLineProcessor processor = makeProcessor();
    EXPECT_TRUE(processor.processLines(QString()).isEmpty());
    EXPECT_TRUE(processor.processLines(QStringLiteral("\n\n\n")).isEmpty());
    processor.processEmptyStrings = S::body;
    expectLines(processor.processLines(QStringLiteral("\n")), {{QString(), S::body}, {QString(), S::body}});
    // Every newline character splits on its own: CR LF leaves an empty line between.
    expectLines(processor.processLines(QStringLiteral("a\r\nb")),
                {{QStringLiteral("a"), S::body}, {QString(), S::body}, {QStringLiteral("b"), S::body}});
    expectLines(processor.processLines(QStringLiteral("a\u2028b")),
                {{QStringLiteral("a"), S::body}, {QStringLiteral("b"), S::body}});
}

TEST(LineProcessor, ReadsFrontMatterAndDropsItsLines)
{
    MarkdownLineProcessor processor = makeProcessor();
    expectLines(processor.processLines(QStringLiteral("  ---\ntitle: Help\ntime: 12:30\nnot a pair\n---\n\n\nBody")),
                {{QStringLiteral("Body"), S::body}});
    EXPECT_EQ(processor.frontMatterAttributes.value(QStringLiteral("title")), QStringLiteral(" Help"));
    EXPECT_EQ(processor.frontMatterAttributes.value(QStringLiteral("time")), QStringLiteral(" 1230"));
    EXPECT_EQ(processor.frontMatterAttributes.size(), 2);

    // A second run adds to what the first one found.
    processor.processLines(QStringLiteral("---\nauthor: me\n---"));
    EXPECT_EQ(processor.frontMatterAttributes.size(), 3);
}

TEST(LineProcessor, UnclosedFrontMatterIsOrdinaryText)
{
    MarkdownLineProcessor processor = makeProcessor();
    expectLines(processor.processLines(QStringLiteral("---\nkey: value\nText")),
                {{QString(), S::previousH2}, {QStringLiteral("key: value"), S::body}, {QStringLiteral("Text"), S::body}});
    EXPECT_TRUE(processor.frontMatterAttributes.isEmpty());
    expectLines(processor.processLines(QStringLiteral("---")), {{QString(), S::previousH2}});
    // The close tag is compared untrimmed.
    expectLines(processor.processLines(QStringLiteral("---\na: b\n --- ")),
                {{QString(), S::previousH2}, {QStringLiteral("a: b"), S::h2}});
}

TEST(LineProcessor, UntilCloseRulesDropTheLinesOfTheirBlock)
{
    MarkdownLineProcessor processor({LineRule(QStringLiteral("```"), S::codeblock, Remove::entireLine, true,
                                              ChangeApplication::untilClose)},
                                    S::body, {});
    expectLines(processor.processLines(QStringLiteral("a\n```\nhidden\n```\nb")),
                {{QStringLiteral("a"), S::body}, {QStringLiteral("b"), S::body}});
    EXPECT_FALSE(processor.closeToken.has_value());
}

TEST(LineProcessor, WritesTimingOnlyWhenItsVariableIsSet)
{
    {
        test::LogCapture capture;
        makeProcessor().processLines(QStringLiteral("# a\nb"));
        EXPECT_TRUE(capture.lines().isEmpty());
    }
    test::ScopedEnvironment variable("MarkdownLineProcessorPerformanceLogging", QByteArray());
    test::LogCapture capture;
    makeProcessor().processLines(QStringLiteral("# a\nb"));
    const QStringList lines = capture.lines();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines.at(0), QStringLiteral("MarkdownLineProcessor/Markdown Line Processor Performance: --- TIMER Line Processor began"));
    EXPECT_TRUE(lines.at(1).contains(QStringLiteral("TIMER Line Processor: ")));
    EXPECT_TRUE(lines.at(1).endsWith(QStringLiteral(" (Front matter completed)")));
    EXPECT_TRUE(lines.at(2).endsWith(QStringLiteral(" (line completed: # a")));
    EXPECT_TRUE(lines.at(3).endsWith(QStringLiteral(" (line completed: b")));
}
