#include "access/URLAttributedStringParser.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace vantel;

namespace {

QColor colorAt(const URLAttributedString& text, const QString& part, qsizetype offset = 0)
{
    const qsizetype index = text.text.indexOf(part);
    EXPECT_GE(index, 0) << part.toStdString();
    return text.formatAt(index + offset).foreground().color();
}

TEST(URLAttributedStringParserTest, ColoursEachPartOfATemplate)
{
    const URLAttributedStringParser parser;
    const QString urlTemplate = QStringLiteral("https://www.example.org/find?q=%%userInput:Search%%&lang=en");
    const URLAttributedString text = parser.attributedString(urlTemplate);
    EXPECT_EQ(text.text, urlTemplate);

    EXPECT_EQ(colorAt(text, "https:"), URLAttributedStringParser::schemeColor());
    EXPECT_EQ(colorAt(text, ":"), URLAttributedStringParser::schemeColor());
    EXPECT_EQ(colorAt(text, "www.example.org"), URLAttributedStringParser::domainColor());
    EXPECT_EQ(colorAt(text, "/find"), URLAttributedStringParser::labelColor());
    EXPECT_EQ(colorAt(text, "lang"), URLAttributedStringParser::queryColor());
    EXPECT_EQ(colorAt(text, "q="), URLAttributedStringParser::queryColor());
    EXPECT_EQ(colorAt(text, "=", 0), URLAttributedStringParser::queryDivider1Color());
    EXPECT_EQ(colorAt(text, "&"), URLAttributedStringParser::queryDivider2Color());

    // The question placeholder inside the query is red and underlined.
    const QString question = QStringLiteral("%%userInput:Search%%");
    const qsizetype placeholder = urlTemplate.indexOf(question);
    for (qsizetype i = placeholder; i < placeholder + question.size(); ++i) {
        EXPECT_EQ(text.formatAt(i).foreground().color(), URLAttributedStringParser::placeholderColor()) << i;
        EXPECT_TRUE(text.formatAt(i).fontUnderline()) << i;
    }
    EXPECT_FALSE(text.formatAt(0).fontUnderline());

    // The ranges cover the text without gaps.
    qsizetype covered = 0;
    for (const auto& range : text.formats) {
        EXPECT_EQ(range.start, covered);
        covered += range.length;
    }
    EXPECT_EQ(covered, urlTemplate.size());
}

TEST(URLAttributedStringParserTest, ShortTextsKeepTheBaseColourAndSchemeOnlyTextsShowTheirParts)
{
    const URLAttributedStringParser parser;
    const URLAttributedString shortText = parser.attributedString(QStringLiteral("a:b="));
    for (qsizetype i = 0; i < 4; ++i)
        EXPECT_EQ(shortText.formatAt(i).foreground().color(), URLAttributedStringParser::labelColor());
    EXPECT_EQ(shortText.formatAt(0).font().pointSizeF(), 12.0);

    const URLAttributedString phone = parser.attributedString(QStringLiteral("tel:01234567890"));
    EXPECT_EQ(colorAt(phone, "tel:"), URLAttributedStringParser::schemeColor());
    EXPECT_EQ(colorAt(phone, "0123"), URLAttributedStringParser::domainColor());

    // Without "?" nothing is orange, but "=" and "&" are still coloured.
    const URLAttributedString noQuery = parser.attributedString(QStringLiteral("x-app://run/a=b&c"));
    for (qsizetype i = 0; i < noQuery.text.size(); ++i)
        EXPECT_NE(noQuery.formatAt(i).foreground().color(), URLAttributedStringParser::queryColor());
    EXPECT_EQ(colorAt(noQuery, "="), URLAttributedStringParser::queryDivider1Color());
    EXPECT_EQ(colorAt(noQuery, "&"), URLAttributedStringParser::queryDivider2Color());
}

TEST(URLAttributedStringParserTest, EveryDefinitionCompiles)
{
    const URLAttributedStringParser parser;
    ASSERT_EQ(parser.URLAttributedStringDefinitions().size(), 7);
    for (const auto& definition : parser.URLAttributedStringDefinitions())
        EXPECT_TRUE(QRegularExpression(definition.regexDefinition).isValid()) << definition.description.toStdString();
}

} // namespace
