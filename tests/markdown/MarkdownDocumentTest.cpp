#include "markdown/MarkdownDocument.h"
#include "markdown/SystemAppearance.h"

#include "MarkdownTestSupport.h"
#include "support/TestSupport.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace vantel;

namespace {

QString writeFile(const QString& name, const QByteArray& bytes)
{
    const QString path = test::makeTempDir(QStringLiteral("markdown")) + QLatin1Char('/') + name;
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

// The text of each line of a rendering.
QStringList linesOf(const AttributedText& text)
{
    return text.string().split(QLatin1Char('\n'));
}

const TextAttributes& attributesOf(const AttributedText& text, const QString& runText)
{
    const QList<TextRun> runs = text.runsWithText(runText);
    static const TextAttributes none;
    EXPECT_EQ(runs.size(), 1) << runText.toStdString();
    if (runs.isEmpty() || !runs.first().attributes)
        return none;
    const TextRun* run = text.runAt(runs.first().start);
    return *run->attributes;
}

} // namespace

TEST(MarkdownDocument, FreshDocumentDefaults)
{
    MarkdownDocument document(QStringLiteral("text"));
    EXPECT_EQ(document.bullet, QStringLiteral("\u30FB"));
    EXPECT_FALSE(document.underlineLinks);
    EXPECT_TRUE(document.applyAttachments);
    EXPECT_EQ(document.orderedListCount, 0);
    EXPECT_EQ(document.orderedListIndentFirstOrderCount, 0);
    EXPECT_EQ(document.orderedListIndentSecondOrderCount, 0);
    EXPECT_EQ(document.string, QStringLiteral("text"));
    const QColor label = SystemAppearance::labelColor();
    for (const QColor& color : {document.h1.color, document.h2.color, document.h3.color, document.h4.color,
                                document.h5.color, document.h6.color, document.body.color, document.blockquotes.color,
                                document.link.color, document.bold.color, document.italic.color, document.code.color,
                                document.strikethrough.color})
        EXPECT_EQ(color, label);
    EXPECT_EQ(LineStyles().color, QColor(Qt::black));
    EXPECT_EQ(LineStyles().alignment, TextAlignment::left);
    EXPECT_FALSE(BasicStyles().fontName.has_value());
    EXPECT_EQ(fontStyleFromRawValue(3), FontStyle::boldItalic);
    EXPECT_FALSE(fontStyleFromRawValue(4).has_value());
}

TEST(MarkdownDocument, LinkUnderlineColourIsTakenOnFirstRead)
{
    LinkStyles link;
    link.color = Qt::red;
    EXPECT_EQ(link.underlineStyle, UnderlineStyle::single);
    EXPECT_EQ(link.underlineColor(), QColor(Qt::red));
    link.color = Qt::green;
    EXPECT_EQ(link.underlineColor(), QColor(Qt::red));
    link.setUnderlineColor(Qt::blue);
    EXPECT_EQ(link.underlineColor(), QColor(Qt::blue));
}

TEST(MarkdownDocument, FileInitialiserNeedsReadableUtf8)
{
    EXPECT_EQ(MarkdownDocument::fromFile(QString()), nullptr);
    EXPECT_EQ(MarkdownDocument::fromFile(test::testHome() + QStringLiteral("/missing.md")), nullptr);
    EXPECT_EQ(MarkdownDocument::fromFile(writeFile(QStringLiteral("bad.md"), QByteArray("ok \xff\xfe bad"))), nullptr);
    EXPECT_EQ(MarkdownDocument::fromFile(test::testHome()), nullptr); // a folder
    const auto document = MarkdownDocument::fromFile(writeFile(QStringLiteral("good.md"), "# T\xc3\xa4tig\n"));
    ASSERT_NE(document, nullptr);
    EXPECT_EQ(document->string, QStringLiteral("# T\u00e4tig\n"));
}

TEST(MarkdownDocument, ForAllStylesSettersReachEveryStyleObject)
{
    MarkdownDocument document{QString()};
    document.setFontSizeForAllStyles(17);
    document.setColorForAllStyles(Qt::magenta);
    document.setFontNameForAllStyles(QStringLiteral("Family"));
    const QList<const BasicStyles*> basics{&document.link, &document.bold, &document.italic, &document.code,
                                           &document.strikethrough};
    for (const BasicStyles* style : basics) {
        EXPECT_EQ(style->fontSize, 17);
        EXPECT_EQ(style->color, QColor(Qt::magenta));
        EXPECT_EQ(style->fontName, QStringLiteral("Family"));
    }
    for (const LineStyles* style : {&document.h1, &document.h2, &document.h3, &document.h4, &document.h5, &document.h6,
                                    &document.body, &document.blockquotes}) {
        EXPECT_EQ(style->fontSize, 17);
        EXPECT_EQ(style->color, QColor(Qt::magenta));
        EXPECT_EQ(style->fontName, QStringLiteral("Family"));
    }
    // Size 0 falls back to the system size; an unknown family to the system font.
    document.setFontSizeForAllStyles(0);
    const TextFont font = document.fontForLine(MarkdownLine{QStringLiteral("x"), MarkdownLineStyle::h3});
    EXPECT_EQ(font.pointSize, SystemAppearance::systemFontSize());
    EXPECT_EQ(font.family, SystemAppearance::systemFontFamily());
}

TEST(MarkdownDocument, FontForLineTakesTheLineStyleThenTheOverride)
{
    MarkdownDocument document{QString()};
    const QString family = SystemAppearance::systemFontFamily();
    document.body.fontName = family;
    document.h2.fontSize = 20;
    document.h2.fontStyle = FontStyle::boldItalic;
    document.code.fontSize = 9;
    document.bold.fontSize = 0;
    document.italic.fontSize = 13;

    const MarkdownLine heading{QStringLiteral("h"), MarkdownLineStyle::h2};
    TextFont font = document.fontForLine(heading);
    EXPECT_EQ(font, (TextFont{family, 20, true, true}));
    font = document.fontForLine(heading, CharacterStyle::code);
    EXPECT_EQ(font, (TextFont{family, 9, true, true}));
    font = document.fontForLine(MarkdownLine{QStringLiteral("b"), MarkdownLineStyle::body}, CharacterStyle::italic);
    EXPECT_EQ(font, (TextFont{family, 13, false, true}));
    font = document.fontForLine(MarkdownLine{QStringLiteral("b"), MarkdownLineStyle::body}, CharacterStyle::bold);
    EXPECT_EQ(font, (TextFont{family, SystemAppearance::systemFontSize(), true, false}));
    font = document.fontForLine(MarkdownLine{QStringLiteral("c"), MarkdownLineStyle::codeblock});
    EXPECT_EQ(font.pointSize, 9);
    font = document.fontForLine(heading, CharacterStyle::strikethrough);
    EXPECT_EQ(font, (TextFont{family, 20, true, true}));
}

TEST(MarkdownDocument, ColorForLine)
{
    MarkdownDocument document{QString()};
    document.h1.color = Qt::red;
    document.h2.color = Qt::green;
    document.code.color = Qt::blue;
    document.blockquotes.color = Qt::cyan;
    document.body.color = Qt::gray;
    EXPECT_EQ(document.colorForLine({QString(), MarkdownLineStyle::previousH1}), QColor(Qt::red));
    EXPECT_EQ(document.colorForLine({QString(), MarkdownLineStyle::previousH2}), QColor(Qt::green));
    EXPECT_EQ(document.colorForLine({QString(), MarkdownLineStyle::codeblock}), QColor(Qt::blue));
    EXPECT_EQ(document.colorForLine({QString(), MarkdownLineStyle::blockquote}), QColor(Qt::cyan));
    EXPECT_EQ(document.colorForLine({QString(), MarkdownLineStyle::orderedList}), QColor(Qt::gray));
}

TEST(Rendering, JoinsLinesWithOneLineFeed)
{
    MarkdownDocument document(QStringLiteral("one\ntwo"));
    const AttributedText text = document.renderAttributedString();
    EXPECT_EQ(text.string(), QStringLiteral("one\ntwo"));
    const TextRun* feed = text.runAt(3);
    ASSERT_NE(feed, nullptr);
    EXPECT_FALSE(feed->attributes.has_value());
    EXPECT_EQ(document.renderAttributedString(QStringLiteral("a\n\nb")).string(), QStringLiteral("a\n\nb"));
    EXPECT_EQ(document.string, QStringLiteral("a\n\nb"));
    EXPECT_TRUE(document.renderAttributedString(QString()).isEmpty());
}

TEST(Rendering, HeadingsByHashAndByUnderline)
{
    MarkdownDocument document(QStringLiteral("# Top\nTitle\n=====\nSub\n---\nbody"));
    document.h1.color = Qt::red;
    document.h1.fontSize = 30;
    document.h2.fontSize = 25;
    const AttributedText text = document.renderAttributedString();
    EXPECT_EQ(linesOf(text), (QStringList{QStringLiteral("Top"), QStringLiteral("Title"), QStringLiteral("Sub"), QStringLiteral("body")}));
    EXPECT_EQ(attributesOf(text, QStringLiteral("Top")).font.pointSize, 30);
    EXPECT_EQ(attributesOf(text, QStringLiteral("Title")).font.pointSize, 30);
    EXPECT_EQ(attributesOf(text, QStringLiteral("Title")).foregroundColor, QColor(Qt::red));
    EXPECT_EQ(attributesOf(text, QStringLiteral("Sub")).font.pointSize, 25);
}

TEST(Rendering, OrderedListsCountThemselves)
{
    MarkdownDocument document(QStringLiteral("1. a\n1. b\n1. c"));
    EXPECT_EQ(linesOf(document.renderAttributedString()),
              (QStringList{QStringLiteral("1.\ta"), QStringLiteral("2.\tb"), QStringLiteral("3.\tc")}));

    MarkdownDocument gap(QStringLiteral("1. a\n1. b\n\n1. c"));
    EXPECT_EQ(linesOf(gap.renderAttributedString()),
              (QStringList{QStringLiteral("1.\ta"), QStringLiteral("2.\tb"), QString(), QStringLiteral("1.\tc")}));

    MarkdownDocument nested(QStringLiteral("1. a\n\t1. x\n\t\t1. y\n\t1. z\n1. b"));
    EXPECT_EQ(linesOf(nested.renderAttributedString()),
              (QStringList{QStringLiteral("1.\ta"), QStringLiteral("\t1.\tx"), QStringLiteral("\t\t1.\ty"),
                           QStringLiteral("\t2.\tz"), QStringLiteral("2.\tb")}));
}

TEST(Rendering, ListCountersCarryIntoTheNextRendering)
{
    MarkdownDocument document(QStringLiteral("1. a"));
    document.renderAttributedString();
    EXPECT_EQ(document.orderedListCount, 1);
    EXPECT_EQ(document.renderAttributedString().string(), QStringLiteral("2.\ta"));
    EXPECT_EQ(document.renderAttributedString(QStringLiteral("text\n1. a")).string(), QStringLiteral("text\n1.\ta"));
}

TEST(Rendering, UnorderedListsWithIndent)
{
    MarkdownDocument document(QStringLiteral("- one\n\t- two\n\t\t* three"));
    const AttributedText text = document.renderAttributedString();
    EXPECT_EQ(linesOf(text), (QStringList{QStringLiteral("\u30FB\tone"), QStringLiteral("\t\u30FB\ttwo"),
                                          QStringLiteral("\t\t\u30FB\tthree")}));
    const ParagraphStyle first = attributesOf(text, QStringLiteral("one")).paragraphStyle;
    EXPECT_EQ(first.headIndent, 30);
    EXPECT_EQ(first.firstLineHeadIndent, 0);
    EXPECT_EQ(first.tabStops, (QList<qreal>{30, 30}));
    EXPECT_EQ(first.defaultTabInterval, 30);
    EXPECT_EQ(attributesOf(text, QStringLiteral("two")).paragraphStyle.headIndent, 60);
    EXPECT_EQ(attributesOf(text, QStringLiteral("three")).paragraphStyle.headIndent, 90);
    // The marker is a plain run with the line's paragraph style.
    EXPECT_EQ(attributesOf(text, QStringLiteral("\u30FB\t")).paragraphStyle.headIndent, 30);
}

TEST(Rendering, BlockQuotesAndCodeBlocks)
{
    MarkdownDocument document(QStringLiteral("> quoted\n    code *x*"));
    document.blockquotes.color = Qt::darkGreen;
    document.code.color = Qt::blue;
    const AttributedText text = document.renderAttributedString();
    const TextAttributes& quote = attributesOf(text, QStringLiteral("quoted"));
    EXPECT_EQ(quote.paragraphStyle.headIndent, 20);
    EXPECT_EQ(quote.paragraphStyle.firstLineHeadIndent, 20);
    EXPECT_EQ(quote.foregroundColor, QColor(Qt::darkGreen));
    const TextAttributes& code = attributesOf(text, QStringLiteral("code "));
    EXPECT_EQ(code.paragraphStyle.headIndent, 0);
    EXPECT_EQ(code.paragraphStyle.firstLineHeadIndent, 20);
    EXPECT_EQ(code.foregroundColor, QColor(Qt::blue));
    // Code lines are tokenised too.
    EXPECT_TRUE(attributesOf(text, QStringLiteral("x")).font.italic);
}

TEST(Rendering, ParagraphValuesComeFromTheStyleObject)
{
    MarkdownDocument document(QStringLiteral("# Head\nbody"));
    document.h1.alignment = TextAlignment::center;
    document.h1.lineSpacing = 3;
    document.h1.paragraphSpacing = 7;
    const AttributedText text = document.renderAttributedString();
    const ParagraphStyle head = attributesOf(text, QStringLiteral("Head")).paragraphStyle;
    EXPECT_EQ(head.alignment, TextAlignment::center);
    EXPECT_EQ(head.lineSpacing, 3);
    EXPECT_EQ(head.paragraphSpacing, 7);
    EXPECT_EQ(attributesOf(text, QStringLiteral("body")).paragraphStyle, ParagraphStyle());
}

TEST(Rendering, LaterCharacterStepsOverwriteEarlierOnes)
{
    MarkdownDocument document(QStringLiteral("***both*** ~~*gone*~~"));
    document.bold.color = Qt::red;
    document.italic.color = Qt::green;
    document.strikethrough.color = Qt::gray;
    const AttributedText text = document.renderAttributedString();
    const TextAttributes& both = attributesOf(text, QStringLiteral("both"));
    EXPECT_TRUE(both.font.bold);
    EXPECT_FALSE(both.font.italic);
    EXPECT_EQ(both.foregroundColor, QColor(Qt::red));
    const TextAttributes& struck = attributesOf(text, QStringLiteral("gone"));
    EXPECT_FALSE(struck.font.italic);
    EXPECT_EQ(struck.strikethroughStyle, 1);
    EXPECT_EQ(struck.foregroundColor, QColor(Qt::gray));
}

TEST(Rendering, LinksWithAndWithoutReferences)
{
    MarkdownDocument document(QStringLiteral("See [site](https://a.example) and [ref][k].\n[k]: https://b.example \n[ k ]:x]:y"));
    document.link.color = Qt::blue;
    AttributedText text = document.renderAttributedString();
    EXPECT_EQ(text.string(), QStringLiteral("See site and ref."));
    const TextAttributes& site = attributesOf(text, QStringLiteral("site"));
    EXPECT_EQ(site.link, QStringLiteral("https://a.example"));
    EXPECT_EQ(site.foregroundColor, QColor(Qt::blue));
    EXPECT_EQ(site.underlineStyle, 0);
    EXPECT_FALSE(site.underlineColor.has_value());
    // A later definition of the same key wins; its pieces after the second are ignored.
    EXPECT_EQ(attributesOf(text, QStringLiteral("ref")).link, QStringLiteral("x"));
    EXPECT_EQ(document.tokeniser().metadataLookup.value(QStringLiteral("k")), QStringLiteral("x"));

    document.underlineLinks = true;
    document.link.setUnderlineColor(Qt::darkRed);
    text = document.renderAttributedString();
    EXPECT_EQ(attributesOf(text, QStringLiteral("site")).underlineStyle, 1);
    EXPECT_EQ(attributesOf(text, QStringLiteral("site")).underlineColor, QColor(Qt::darkRed));
}

TEST(Rendering, ImagesBecomeAttachments)
{
    MarkdownDocument document(QStringLiteral("a ![icon](logo) b ![x](none)"));
    QImage logo(4, 4, QImage::Format_ARGB32);
    logo.fill(Qt::red);
    document.imageProvider = [&](const QString& name) { return name == QStringLiteral("logo") ? logo : QImage(); };
    AttributedText text = document.renderAttributedString();
    EXPECT_EQ(text.string(), QStringLiteral("a \uFFFC b \uFFFC"));
    const TextRun* image = text.runAt(2);
    ASSERT_NE(image, nullptr);
    ASSERT_TRUE(image->attachment.has_value());
    EXPECT_EQ(image->attachment->imageName, QStringLiteral("logo"));
    EXPECT_EQ(image->attachment->image.size(), QSize(4, 4));
    EXPECT_TRUE(text.runAt(6)->attachment->image.isNull());

    document.applyAttachments = false;
    EXPECT_EQ(document.renderAttributedString().string(), QStringLiteral("a  b "));
}

TEST(Rendering, TokensWithForeignStylesAreSkipped)
{
    MarkdownDocument document{QString()};
    Token foreign(TokenType::string, QStringLiteral("hidden"), {CharacterStyling::foreign(QStringLiteral("mark"))});
    Token plain(TokenType::string, QStringLiteral("shown"));
    Token orphanLink(TokenType::string, QStringLiteral("nolink"), {CharacterStyle::link});
    const AttributedText text = document.attributedStringForLine({foreign, plain, orphanLink},
                                                                 MarkdownLine{QString(), MarkdownLineStyle::body});
    EXPECT_EQ(text.string(), QStringLiteral("shownnolink"));
    EXPECT_FALSE(attributesOf(text, QStringLiteral("nolink")).link.has_value());
}

TEST(Rendering, FrontMatterIsExposedAndNotShown)
{
    MarkdownDocument document(QStringLiteral("---\ntitle: Help\n---\nText"));
    EXPECT_EQ(document.renderAttributedString().string(), QStringLiteral("Text"));
    EXPECT_EQ(document.frontMatterAttributes().value(QStringLiteral("title")), QStringLiteral(" Help"));
}

TEST(Rendering, TimingLinesOnlyWithTheDocumentVariable)
{
    test::ScopedEnvironment variable("MarkdownDocumentPerformanceLogging", QByteArray("yes"));
    test::LogCapture capture;
    MarkdownDocument document(QStringLiteral("a\nb"));
    document.renderAttributedString();
    QStringList lines = capture.lines();
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const QString& line) { return !line.startsWith(QStringLiteral("MarkdownDocument/")); }),
                lines.end());
    ASSERT_EQ(lines.size(), 5);
    EXPECT_EQ(lines.at(0), QStringLiteral("MarkdownDocument/Markdown Document Performance: --- TIMER Markdown Document began"));
    EXPECT_TRUE(lines.at(1).endsWith(QStringLiteral(" (line processing complete)")));
    EXPECT_TRUE(lines.at(2).endsWith(QStringLiteral(" (tokenising complete for line 0")));
    EXPECT_TRUE(lines.at(3).endsWith(QStringLiteral(" (tokenising complete for line 1")));
    EXPECT_TRUE(lines.at(4).startsWith(
        QStringLiteral("MarkdownDocument/Markdown Document Performance: --- TIMER Markdown Document finished. Total time: ")));
}

TEST(MarkdownDocument, ReplacedTablesReachOnlyLaterDocuments)
{
    MarkdownDocument before(QStringLiteral("% note\n*x*"));
    const QList<LineRule> lineRules = MarkdownDocument::lineRules();
    const QList<CharacterRule> characterRules = MarkdownDocument::characterRules();
    MarkdownDocument::setLineRules({LineRule(QStringLiteral("% "), MarkdownLineStyle::h1)});
    MarkdownDocument::setCharacterRules({});
    MarkdownDocument after(QStringLiteral("% note\n*x*"));
    MarkdownDocument::setLineRules(lineRules);
    MarkdownDocument::setCharacterRules(characterRules);

    after.h1.fontSize = 40;
    const AttributedText changed = after.renderAttributedString();
    EXPECT_EQ(changed.string(), QStringLiteral("note\n*x*"));
    EXPECT_EQ(attributesOf(changed, QStringLiteral("note")).font.pointSize, 40);
    EXPECT_EQ(before.renderAttributedString().string(), QStringLiteral("% note\nx"));
}
