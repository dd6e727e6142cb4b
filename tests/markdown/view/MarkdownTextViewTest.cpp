#include "platform/ui/Compositing.h"
#include "markdown/SystemAppearance.h"
#include "markdown/view/CustomMarkdownTextView.h"
#include "markdown/view/MarkdownResources.h"
#include "markdown/view/VersionHistoryViewController.h"

#include "markdown/MarkdownTestSupport.h"
#include "platform/ScriptedDialogProvider.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

using namespace vantel;

namespace {

const QString kBundle = QStringLiteral(VANTEL_FIXTURES_DIR "/../../resources/bundle");

class MarkdownTextView : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = test::makeTempDir(QStringLiteral("resources"));
        MarkdownResources::setResourceFolder(m_folder);
    }
    void TearDown() override { MarkdownResources::setResourceFolder(QString()); }

    void write(const QString& name, const QByteArray& bytes)
    {
        QFile file(m_folder + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QString m_folder;
};

QTextCharFormat formatAt(const QTextDocument& document, const QString& text)
{
    const QTextCursor found = document.find(text);
    EXPECT_FALSE(found.isNull()) << text.toStdString();
    QTextCursor cursor(found);
    cursor.setPosition(found.selectionStart() + 1);
    return cursor.charFormat();
}

} // namespace

TEST_F(MarkdownTextView, ShowWithoutADocumentChangesNothing)
{
    CustomMarkdownTextView view;
    view.setPlainText(QStringLiteral("before"));
    view.showMarkdown(MarkdownStyles::info);
    EXPECT_EQ(view.toPlainText(), QStringLiteral("before"));
    EXPECT_FALSE(view.style().has_value());

    view.loadMarkdown(std::nullopt);
    view.loadMarkdown(QStringLiteral("missing.md"));
    EXPECT_EQ(view.markdown(), nullptr);

    write(QStringLiteral("empty.md"), QByteArray());
    view.loadMarkdown(QStringLiteral("empty.md"));
    ASSERT_NE(view.markdown(), nullptr);
    view.showMarkdown(MarkdownStyles::info);
    EXPECT_EQ(view.toPlainText(), QStringLiteral("before"));
    EXPECT_FALSE(view.style().has_value());
}

TEST_F(MarkdownTextView, LoadKeepsTheDocumentWhenTheResourceIsMissing)
{
    write(QStringLiteral("a.md"), "# A\ntext");
    write(QStringLiteral("bad.md"), "\xc3\x28");
    CustomMarkdownTextView view;
    view.loadMarkdown(QStringLiteral("a.md"));
    ASSERT_NE(view.markdown(), nullptr);
    view.loadMarkdown(QStringLiteral("nothing.md"));
    ASSERT_NE(view.markdown(), nullptr);
    EXPECT_EQ(view.markdown()->string, QStringLiteral("# A\ntext"));
    // Names that would leave the resource folder are no resources.
    view.loadMarkdown(QStringLiteral("../") + QFileInfo(m_folder).fileName() + QStringLiteral("/bad.md"));
    ASSERT_NE(view.markdown(), nullptr);
    // An unreadable file leaves no document.
    view.loadMarkdown(QStringLiteral("bad.md"));
    EXPECT_EQ(view.markdown(), nullptr);
}

TEST_F(MarkdownTextView, ShowsTheRenderingReadOnlyAndSelectable)
{
    write(QStringLiteral("help.md"), "# Help\nSee [the site](https://example.org) and **this**.\n- item");
    CustomMarkdownTextView view;
    view.loadMarkdown(QStringLiteral("help.md"));
    view.showMarkdown(MarkdownStyles::info);
    EXPECT_EQ(view.toPlainText(), QStringLiteral("Help\nSee the site and this.\n\u30FB\titem"));
    EXPECT_TRUE(view.isReadOnly());
    EXPECT_FALSE(view.isUndoRedoEnabled());
    EXPECT_TRUE(view.textInteractionFlags() & Qt::TextSelectableByMouse);
    EXPECT_EQ(view.style(), MarkdownStyles::info);
    EXPECT_EQ(view.textCursor().position(), 0);

    const QTextCharFormat link = formatAt(*view.document(), QStringLiteral("the site"));
    EXPECT_TRUE(link.isAnchor());
    EXPECT_EQ(link.anchorHref(), QStringLiteral("https://example.org"));
    EXPECT_TRUE(formatAt(*view.document(), QStringLiteral("this")).font().bold());
    const QTextBlock item = view.document()->findBlockByNumber(2);
    EXPECT_EQ(item.blockFormat().leftMargin(), 30);
    EXPECT_EQ(item.blockFormat().textIndent(), -30);
}

// A link opens as URL entries do (no xdg-open needed); one that no program
// takes says so.
TEST_F(MarkdownTextView, ALinkNoProgramTakesShowsTheURLAlert)
{
    auto dialogs = std::make_shared<platform::ScriptedDialogProvider>();
    platform::DialogProvider::setShared(dialogs);
    write(QStringLiteral("links.md"), "Read [the lost page](vantelnowhere:page).\n");
    CustomMarkdownTextView view;
    view.loadMarkdown(QStringLiteral("links.md"));
    view.showMarkdown(MarkdownStyles::help);
    view.show();
    QTextCursor link = view.document()->find(QStringLiteral("lost"));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.cursorRect(link).center());
    ASSERT_TRUE(test::waitUntil([&] { return !dialogs->alerts().isEmpty(); }));
    EXPECT_EQ(dialogs->alerts().first().messageText, QStringLiteral("URL error - Is the URL correct?"));
    EXPECT_EQ(dialogs->alerts().first().informativeText, QStringLiteral("vantelnowhere:page"));
    platform::DialogProvider::setShared(nullptr);
}

TEST_F(MarkdownTextView, ShowingTwiceLeavesOneCopy)
{
    write(QStringLiteral("emoji.md"), "Smile \xf0\x9f\x98\x80 *\xf0\x9d\x84\x9e*");
    CustomMarkdownTextView view;
    view.loadMarkdown(QStringLiteral("emoji.md"));
    view.showMarkdown(MarkdownStyles::whatsNew);
    view.showMarkdown(MarkdownStyles::whatsNew);
    EXPECT_EQ(view.toPlainText(), QStringLiteral("Smile \U0001F600 \U0001D11E"));
}

TEST_F(MarkdownTextView, LooksSetSizesColoursAndAlignments)
{
    write(QStringLiteral("doc.md"), "# T");
    CustomMarkdownTextView view;
    view.loadMarkdown(QStringLiteral("doc.md"));
    MarkdownDocument& document = *view.markdown();
    const qreal system = SystemAppearance::systemFontSize();
    const QColor label = SystemAppearance::labelColor();

    view.applyStyle(MarkdownStyles::whatsNew);
    EXPECT_EQ(document.body.fontSize, system);
    EXPECT_EQ(document.h3.fontSize, system + 2);
    EXPECT_EQ(document.h2.fontSize, system + 4);
    EXPECT_EQ(document.h1.fontSize, system + 6);
    EXPECT_EQ(document.h1.fontStyle, FontStyle::bold);
    EXPECT_EQ(document.h4.fontStyle, FontStyle::normal);
    EXPECT_EQ(document.h1.color, label); // no colour asset in this folder
    EXPECT_EQ(document.strikethrough.fontName, SystemAppearance::systemFontFamily());
    EXPECT_EQ(document.h1.alignment, TextAlignment::left);

    view.applyStyle(MarkdownStyles::panelCentered);
    EXPECT_EQ(document.h2.alignment, TextAlignment::center);
    EXPECT_EQ(document.body.alignment, TextAlignment::center);

    view.applyStyle(MarkdownStyles::help);
    const qreal small = SystemAppearance::smallSystemFontSize();
    EXPECT_LT(small, system);
    EXPECT_EQ(document.body.fontSize, small);
    EXPECT_EQ(document.italic.fontSize, small);
    EXPECT_EQ(document.code.fontSize, small);
    EXPECT_EQ(document.bold.fontSize, 0); // bold stays at the system size
    EXPECT_EQ(document.body.alignment, TextAlignment::left);

    view.applyStyle(MarkdownStyles::hotkeyOverview);
    EXPECT_EQ(document.h3.fontSize, system + 1);
    EXPECT_EQ(document.h1.fontSize, system + 3);
    EXPECT_EQ(document.body.fontName, SystemAppearance::monospacedFontFamily());
    EXPECT_EQ(document.body.color, SystemAppearance::linkColor());
    EXPECT_EQ(document.italic.color.alpha(), 0);
    EXPECT_EQ(document.code.color, label);
    EXPECT_EQ(document.h1.alignment, TextAlignment::center);
    EXPECT_EQ(document.body.alignment, TextAlignment::left);
    EXPECT_EQ(view.style(), MarkdownStyles::hotkeyOverview);
}

TEST_F(MarkdownTextView, HeadingsTakeTheAccentColourWhenTheAssetExists)
{
    write(QStringLiteral("doc.md"), "# T");
    write(QStringLiteral("Colors.json"), R"({"tarnwickOrange": "#f08020"})");
    CustomMarkdownTextView view;
    view.loadMarkdown(QStringLiteral("doc.md"));
    view.showMarkdown(MarkdownStyles::info);
    EXPECT_EQ(view.markdown()->h1.color, QColor(QStringLiteral("#f08020")));
    EXPECT_EQ(view.markdown()->h4.color, SystemAppearance::labelColor());
    EXPECT_EQ(formatAt(*view.document(), QStringLiteral("T")).foreground().color(), QColor(QStringLiteral("#f08020")));

    write(QStringLiteral("Colors.json"), "not json");
    EXPECT_FALSE(MarkdownResources::color(QStringLiteral("tarnwickOrange")).has_value());
}

TEST(VersionHistory, ShowsTheBundledHistoryInAWindowOfItsSize)
{
    MarkdownResources::setResourceFolder(kBundle);
    VersionHistoryViewController controller;
    controller.show();
    EXPECT_EQ(controller.size(), QSize(680, 460));
    // Translucent only where the desktop composites (never offscreen).
    EXPECT_EQ(controller.testAttribute(Qt::WA_TranslucentBackground), platform::desktopComposites());
    EXPECT_TRUE(controller.windowTitle().isEmpty());
    ASSERT_NE(controller.visualEffectView(), nullptr);
    EXPECT_TRUE(controller.visualEffectView()->isVisible());
    EXPECT_EQ(controller.markdownTextView()->style(), MarkdownStyles::whatsNew);
    EXPECT_TRUE(controller.markdownTextView()->toPlainText().contains(QStringLiteral("1.0.0")));
    EXPECT_TRUE(controller.markdownTextView()->isReadOnly());
    MarkdownResources::setResourceFolder(QString());
}

TEST(BundleHelpTexts, EveryHelpTextRendersWithHeadings)
{
    MarkdownResources::setResourceFolder(kBundle);
    for (const char* name : {"versionhistory.md", "help_SandboxAccess.md", "help_SearchScope.md",
                             "help_URLTemplates.md", "help_versionedBackup.md"}) {
        SCOPED_TRACE(name);
        CustomMarkdownTextView view;
        view.loadMarkdown(QString::fromLatin1(name));
        ASSERT_NE(view.markdown(), nullptr);
        view.showMarkdown(MarkdownStyles::info);
        const QString text = view.toPlainText();
        EXPECT_GT(text.size(), 200);
        // No markup is left over as text.
        EXPECT_FALSE(text.contains(QStringLiteral("**")));
        EXPECT_FALSE(text.contains(QStringLiteral("](")));
        EXPECT_FALSE(text.contains(QStringLiteral("# ")));
        EXPECT_GT(view.document()->firstBlock().begin().fragment().charFormat().font().pointSizeF(),
                  SystemAppearance::systemFontSize());
    }
    MarkdownResources::setResourceFolder(QString());
}
