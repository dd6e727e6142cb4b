#include "AccessTestSupport.h"

#include "access/ParsedURL.h"
#include "access/URLRegExParser.h"

#include <gtest/gtest.h>

using namespace vantel;

namespace {

std::optional<QString> substitute(const QString& urlTemplate, const std::optional<QVariantList>& objects = std::nullopt)
{
    const auto parsed = ParsedURL::create(urlTemplate, objects);
    if (!parsed)
        return QStringLiteral("<invalid>");
    return parsed->urlRegExParser()->replacePlaceholders(QStringLiteral("\n"));
}

class PlaceholderTest : public ::testing::Test {
protected:
    test::ScriptedDialogs dialogs;
};

TEST_F(PlaceholderTest, AQuestionAsksAndItsAnswerIsEncodedForAnyComponent)
{
    dialogs.input->queueAnswer(QStringLiteral("Tom & Jerry #1 100% größer/kleiner?@;"));
    const auto result = substitute(QStringLiteral("https://example.org/search?q=%%userInput:Search the web%%&x=1"));
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(*result, QStringLiteral("https://example.org/search?q=Tom%20%26%20Jerry%20%231%20100%25%20gr%C3%B6%C3%9Fer"
                                      "%2Fkleiner%3F%40%3B&x=1"));
    ASSERT_EQ(dialogs.input->requests.size(), 1);
    EXPECT_EQ(dialogs.input->requests.first().question, QStringLiteral("Search the web"));
    EXPECT_EQ(dialogs.input->requests.first().url,
              QStringLiteral("https://example.org/search?q=%%userInput:Search the web%%&x=1"));

    // Characters every component allows stay as they are; "+" is encoded,
    // since a query reads it as a space ("C++" would arrive as "C  ").
    dialogs.input->queueAnswer(QStringLiteral("a-b.c_d~e:f=g+h"));
    EXPECT_EQ(*substitute(QStringLiteral("https://e.org/?q=%%userInput%%")), QStringLiteral("https://e.org/?q=a-b.c_d~e:f=g%2Bh"));
    EXPECT_EQ(dialogs.input->requests.last().question, QString());
}

TEST_F(PlaceholderTest, AQuestionInAnyScriptIsAPlaceholderButOnlyInItsExactSpelling)
{
    dialogs.input->queueAnswer(QStringLiteral("x"));
    EXPECT_EQ(*substitute(QStringLiteral("https://e.org/?q=%%userInput:Größe%%")), QStringLiteral("https://e.org/?q=x"));
    EXPECT_EQ(dialogs.input->requests.last().question, QStringLiteral("Größe"));

    // Other letter case, or a question mark in the question: plain text.
    auto parser = URLRegExParser::create(QStringLiteral("x:%%UserInput:a%% %%userInput:why?%%"), std::nullopt);
    parser->findPlaceholders();
    EXPECT_TRUE(parser->regExURLMatches().isEmpty());
}

TEST_F(PlaceholderTest, SelectedFilesAreJoinedByTheSeparatorAndEncoded)
{
    const QVariantList files{QStringLiteral("/tmp/a b.txt"), 42, QString(), QStringLiteral("/tmp/c+d")};
    EXPECT_EQ(*substitute(QStringLiteral("app://open?files=%%selectedFileObjects%%"), files),
              QStringLiteral("app://open?files=%2Ftmp%2Fa%20b.txt%0A%2Ftmp%2Fc%2Bd"));
    // Nothing selected, or nothing usable: the placeholder goes.
    EXPECT_EQ(*substitute(QStringLiteral("app://open?files=%%selectedFileObjects%%")), QStringLiteral("app://open?files="));
    EXPECT_EQ(*substitute(QStringLiteral("app://open?files=%%selectedFileObjects%%"), QVariantList{1, QString()}),
              QStringLiteral("app://open?files="));
    EXPECT_TRUE(dialogs.input->requests.isEmpty());
}

TEST_F(PlaceholderTest, PlaceholdersAreFilledInTextOrderAndACancelStopsEverything)
{
    dialogs.input->queueAnswer(QStringLiteral("one"));
    dialogs.input->queueAnswer(QStringLiteral("two"));
    EXPECT_EQ(*substitute(QStringLiteral("x://a?f=%%selectedFileObjects%%&p=%%userInput:First%%&q=%%userInput:Second%%"),
                          QVariantList{QStringLiteral("f")}),
              QStringLiteral("x://a?f=f&p=one&q=two"));
    ASSERT_EQ(dialogs.input->requests.size(), 2);
    EXPECT_EQ(dialogs.input->requests.at(0).question, QStringLiteral("First"));
    EXPECT_EQ(dialogs.input->requests.at(1).question, QStringLiteral("Second"));

    dialogs.input->requests.clear();
    dialogs.input->queueAnswer(QStringLiteral("one"));
    dialogs.input->queueAnswer(std::nullopt);
    dialogs.input->queueAnswer(QStringLiteral("never asked"));
    EXPECT_FALSE(substitute(QStringLiteral("x://a?p=%%userInput:A%%&q=%%userInput:B%%&r=%%userInput:C%%")).has_value());
    EXPECT_EQ(dialogs.input->requests.size(), 2);
}

TEST_F(PlaceholderTest, AnEmptyAnswerRemovesThePlaceholder)
{
    dialogs.input->queueAnswer(QString());
    EXPECT_EQ(*substitute(QStringLiteral("x://a?p=%%userInput:A%%")), QStringLiteral("x://a?p="));
}

TEST_F(PlaceholderTest, ValidationNeedsASchemeAndAURLWithoutThePlaceholders)
{
    EXPECT_EQ(ParsedURL::create(QString(), std::nullopt), nullptr);
    EXPECT_EQ(ParsedURL::create(QStringLiteral("no colon here"), std::nullopt), nullptr);
    EXPECT_EQ(ParsedURL::create(QStringLiteral("bad url:%%userInput:Q%%with spaces"), std::nullopt), nullptr);
    const auto parsed = ParsedURL::create(QStringLiteral("https://e.org/?q=%%userInput:Search here%%"), std::nullopt);
    ASSERT_NE(parsed, nullptr);
    EXPECT_EQ(parsed->urlRegExParser()->urlStringWithoutPlaceholders(), QStringLiteral("https://e.org/?q="));
    EXPECT_EQ(URLRegExParser::create(QString(), std::nullopt), nullptr);
}

TEST_F(PlaceholderTest, RemovingPlaceholdersKeepsTheRestInPlace)
{
    auto parser = URLRegExParser::create(
        QStringLiteral("s://%%selectedFileObjects%%/x/%%userInput:A%%/y/%%userInput%%"), std::nullopt);
    EXPECT_EQ(parser->urlStringWithoutPlaceholders(), QStringLiteral("s:///x//y/"));
    // Questions first, then selections, each in text order.
    ASSERT_EQ(parser->regExURLMatches().size(), 3);
    EXPECT_EQ(parser->regExURLMatches().at(0).value, QStringLiteral("%%userInput:A%%"));
    EXPECT_EQ(parser->regExURLMatches().at(1).value, QStringLiteral("%%userInput%%"));
    EXPECT_EQ(parser->regExURLMatches().at(2).urlParam, URLParams::selectedFileObjects);
}

} // namespace
