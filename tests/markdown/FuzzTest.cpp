#include "markdown/MarkdownDocument.h"
#include "markdown/TextDocumentWriter.h"

#include "MarkdownTestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <random>

using namespace vantel;

namespace {

// Pieces that exercise every rule: markers, tags, escapes and odd characters.
const QStringList& pieces()
{
    static const QStringList list = {
        QStringLiteral("*"), QStringLiteral("**"), QStringLiteral("_"), QStringLiteral("~"), QStringLiteral("~~"),
        QStringLiteral("`"), QStringLiteral("["), QStringLiteral("]"), QStringLiteral("("), QStringLiteral(")"),
        QStringLiteral("!["), QStringLiteral("]("), QStringLiteral("]["), QStringLiteral("]:"), QStringLiteral("\\"),
        QStringLiteral("#"), QStringLiteral("# "), QStringLiteral("## "), QStringLiteral("="), QStringLiteral("-"),
        QStringLiteral("- "), QStringLiteral("1. "), QStringLiteral("> "), QStringLiteral("    "), QStringLiteral("\t"),
        QStringLiteral("\n"), QStringLiteral("\r\n"), QStringLiteral("\r"), QStringLiteral("---\n"), QStringLiteral(" "),
        QStringLiteral("a"), QStringLiteral("word"), QStringLiteral(":"), QStringLiteral("\u0301"),
        QStringLiteral("\U0001F600"), QStringLiteral("\u2028"), QStringLiteral("\u00A0"), QStringLiteral("\u30FB"),
        QString(QChar(0xD800)), // a lone surrogate
        QString(QChar(0)),
    };
    return list;
}

QString randomText(std::mt19937& random, int maxPieces)
{
    std::uniform_int_distribution<int> count(0, maxPieces);
    std::uniform_int_distribution<qsizetype> pick(0, pieces().size() - 1);
    QString text;
    for (int i = count(random); i > 0; --i)
        text += pieces().at(pick(random));
    return text;
}

QString mutate(QString text, std::mt19937& random)
{
    std::uniform_int_distribution<int> edits(1, 8);
    for (int i = edits(random); i > 0; --i) {
        std::uniform_int_distribution<qsizetype> at(0, text.size());
        const qsizetype position = at(random);
        switch (random() % 3) {
        case 0: text.insert(position, randomText(random, 3)); break;
        case 1: text.remove(position, static_cast<qsizetype>(random() % 6)); break;
        default: {
            const qsizetype from = at(random);
            text.insert(position, text.mid(from, static_cast<qsizetype>(random() % 12)));
        }
        }
    }
    return text;
}

QStringList helpTexts()
{
    QStringList texts;
    const QDir bundle(QDir::cleanPath(QStringLiteral(VANTEL_FIXTURES_DIR "/../../resources/bundle")));
    for (const QString& name : bundle.entryList({QStringLiteral("*.md")}, QDir::Files)) {
        QFile file(bundle.filePath(name));
        if (file.open(QIODevice::ReadOnly))
            texts.append(QString::fromUtf8(file.readAll()));
    }
    texts.append(QStringLiteral("# Title\n*a **b** c*\n[x](y) ![i](p)\n> q\n\t- l\n1. n\n~~~s~~~\n`c`"));
    return texts;
}

// The runs of a rendering cover its text without gaps or empty runs.
void renderChecked(MarkdownDocument& document, const QString& text)
{
    const AttributedText result = document.renderAttributedString(text);
    qsizetype covered = 0;
    for (const TextRun& run : result.runs()) {
        ASSERT_EQ(run.start, covered);
        ASSERT_GT(run.length, 0);
        covered += run.length;
    }
    ASSERT_EQ(covered, result.length());
}

} // namespace

TEST(MarkdownFuzz, RandomAndMutatedTextNeverCrashesOrHangs)
{
    test::LogCapture quiet; // short tilde runs log a line each
    QElapsedTimer clock;
    clock.start();
    const QStringList seeds = helpTexts();
    ASSERT_GE(seeds.size(), 6); // the five bundle texts and one of our own
    int rounds = 0;
    for (const unsigned seed : {1u, 7u, 42u, 2024u}) {
        std::mt19937 random(seed);
        MarkdownDocument document{QString()};
        for (int i = 0; i < 1500 && clock.elapsed() < 4000; ++i, ++rounds) {
            const QString text = (i % 2 == 0) ? randomText(random, 60)
                                              : mutate(seeds.at(static_cast<qsizetype>(random() % seeds.size())), random);
            SCOPED_TRACE(text.toStdString());
            renderChecked(document, text);
            if (HasFatalFailure())
                return;
        }
    }
    EXPECT_GT(rounds, 500);
}

TEST(MarkdownFuzz, TheDocumentWriterTakesAnyRendering)
{
    test::LogCapture quiet;
    std::mt19937 random(99);
    MarkdownDocument document{QString()};
    document.imageProvider = [](const QString& name) {
        QImage image(2, 2, QImage::Format_ARGB32);
        image.fill(Qt::blue);
        return name.size() % 2 ? image : QImage();
    };
    QTextDocument target;
    for (int i = 0; i < 100; ++i) {
        const QString text = randomText(random, 40);
        const AttributedText rendered = document.renderAttributedString(text);
        TextDocumentWriter::write(rendered, target);
        EXPECT_EQ(target.blockCount(), rendered.string().count(QLatin1Char('\n')) + 1);
    }
}
