#include "ConfigWindowTestSupport.h"

#include "access/URLManager.h"
#include "access/urlTemplateData.h"
#include "datastore/DatastorageHandlerURLObjects.h"
#include "datastore/FakeWindowRequests.h"
#include "settings/ui/ConfigWindowController.h"
#include "settings/ui/ConfigWindowControllerAddModifyURL.h"
#include "mainwindow/CatalogueEntries.h"
#include "platform/Workspace.h"
#include "platform/ui/WindowHost.h"
#include "popups/CustomTextField.h"
#include "settings/ui/ConfigViewControllerAddModifyURL.h"
#include "support/TestSupport.h"

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>

#include <QLineEdit>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace vantel {
namespace {

using URLPane = settingsui::ConfigViewControllerAddModifyURL;

// Pixels of a strong red inside `area` of the image.
int redPixels(const QImage& image, const QRect& area)
{
    int red = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor pixel(image.pixel(x, y));
            red += pixel.red() > 150 && pixel.green() < 110 && pixel.blue() < 110 ? 1 : 0;
        }
    return red;
}

// The desktop's default for "vantelurl:" links: a program that writes the
// link it was given to `written`.
QString installURLHandler(const QString& written)
{
    const QString applications = qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/applications");
    const QString script = test::makeTempDir(QStringLiteral("url-handler")) + QStringLiteral("/handler.sh");
    const auto write = [](const QString& path, const QString& text, QIODevice::OpenMode mode) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        file.open(mode);
        file.write(text.toUtf8());
        file.setPermissions(file.permissions() | QFile::ExeOwner);
    };
    write(script, QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > \"%1.tmp\" && mv \"%1.tmp\" \"%1\"\n").arg(written),
          QIODevice::WriteOnly);
    write(applications + QStringLiteral("/vantel-url-handler.desktop"),
          QStringLiteral("[Desktop Entry]\nType=Application\nName=URL Handler\nExec=%1 %u\n"
                         "MimeType=x-scheme-handler/vantelurl;\n").arg(script), QIODevice::WriteOnly);
    write(qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/mimeapps.list"),
          QStringLiteral("[Default Applications]\nx-scheme-handler/vantelurl=vantel-url-handler.desktop\n"),
          QIODevice::Append);
    return applications + QStringLiteral("/vantel-url-handler.desktop");
}

class AddModifyURLWindowTest : public test::ConfigWindowFixture {
protected:
    void SetUp() override
    {
        ConfigWindowFixture::SetUp();
        pane = std::make_shared<URLPane>(*store);
        window = std::make_unique<platform::WindowHost>();
        window->setContentViewController(pane.get());
        window->resize(URLPane::preferredSize);
    }
    void TearDown() override
    {
        if (window->isShown())
            window->close();
        window.reset();
        pane.reset();
        ConfigWindowFixture::TearDown();
    }
    void show()
    {
        window->showWindow();
        QApplication::processEvents();
    }
    // Types into the URL field as the user does.
    void typeURL(const QString& text)
    {
        pane->textFieldSiteURL()->setFocus();
        QTest::keyClicks(pane->textFieldSiteURL(), text);
    }
    bool errorShown() const { return pane->errorLabel()->isVisibleTo(window.get()); }

    std::shared_ptr<URLPane> pane;
    std::unique_ptr<platform::WindowHost> window;
};

TEST_F(AddModifyURLWindowTest, CounterAndTestButtonFollowEveryEdit)
{
    // A sheet is sized when it is made, before the pane appears.
    platform::WindowHost sheet;
    URLPane other(*store);
    sheet.setContentViewController(&other);
    EXPECT_EQ(sheet.size(), URLPane::preferredSize);
    sheet.setContentViewController(nullptr);

    show();
    EXPECT_EQ(pane->urlTextStats()->text(), QStringLiteral("0 (max.: 3072)"));
    typeURL(QStringLiteral("abc"));
    EXPECT_EQ(pane->urlTextStats()->text(), QStringLiteral("3 (max.: 3072)"));
    EXPECT_FALSE(pane->urlTest()->isEnabled());
    EXPECT_TRUE(pane->urlInsertPlaceholder()->isEnabled()) << "the URL field is being edited";
    QTest::keyClicks(pane->textFieldSiteURL(), QStringLiteral("d"));
    EXPECT_TRUE(pane->urlTest()->isEnabled());
    // The end of editing runs the preview, then the buttons: still by length.
    pane->textFieldSiteTitle()->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(pane->urlTest()->isEnabled());
    EXPECT_FALSE(pane->urlInsertPlaceholder()->isEnabled());
    EXPECT_EQ(pane->urlTextStats()->text(), QStringLiteral("4 (max.: 3072)"));
}

TEST_F(AddModifyURLWindowTest, TheURLIsColouredAndLimited)
{
    show();
    typeURL(QStringLiteral("https://example.org/search?q=%%selectedFileObjects%%"));
    const URLAttributedString& colouring = pane->shownURLColouring();
    EXPECT_EQ(colouring.text, QStringLiteral("https://example.org/search?q=%%selectedFileObjects%%"));
    const qsizetype placeholder = colouring.text.indexOf(QStringLiteral("%%")) + 3;
    EXPECT_EQ(colouring.formatAt(placeholder).foreground().color(), URLAttributedStringParser::placeholderColor());
    EXPECT_NE(colouring.formatAt(0).foreground().color(), colouring.formatAt(placeholder).foreground().color());

    pane->textFieldSiteTitle()->setFocus();
    QTest::keyClicks(pane->textFieldSiteTitle(), QString(120, QLatin1Char('t')));
    EXPECT_EQ(pane->textFieldSiteTitle()->text().size(), 100);
}

TEST_F(AddModifyURLWindowTest, ANewEntryWithoutTitleTakesTheHost)
{
    show();
    pane->newOrModifyTag = QStringLiteral("Reading");
    typeURL(QStringLiteral("https://news.example.org/today"));
    pane->buttonOKClick();
    const TableViewItemPtr entry = store->entryForPath(QStringLiteral("https://news.example.org/today"));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name(), QStringLiteral("news.example.org"));
    EXPECT_EQ(entry->tags(), QStringList{QStringLiteral("Reading")});
    EXPECT_FALSE(window->isVisible()) << "a saved entry closes the window";
    // The values do not outlive the appearance.
    EXPECT_FALSE(pane->newOrModifyTag);
    EXPECT_TRUE(pane->textFieldSiteURL()->text().isEmpty());
}

TEST_F(AddModifyURLWindowTest, EachRefusalShowsItsMessageAndKeepsTheWindow)
{
    test::addURLEntry(*store, QStringLiteral("Taken"), QStringLiteral("https://taken.example.org"));
    show();

    typeURL(QStringLiteral("not a url"));
    pane->buttonOKClick();
    EXPECT_TRUE(errorShown());
    EXPECT_EQ(pane->errorLabel()->text(), QStringLiteral("The URL cannot be evaluated. Please correct the URL."));
    EXPECT_EQ(pane->errorLabel()->palette().color(QPalette::WindowText), QColor(Qt::red));

    pane->textFieldSiteURL()->setText(QStringLiteral("https://taken.example.org"));
    pane->buttonOKClick();
    EXPECT_EQ(pane->errorLabel()->text(), QStringLiteral("An entry with this URL already exists ..."));

    pane->textFieldSiteURL()->setText(QStringLiteral("mailto:someone"));
    pane->buttonOKClick();
    EXPECT_EQ(pane->errorLabel()->text(), QStringLiteral("Please enter a title."));
    EXPECT_TRUE(window->isVisible());
    const QImage shown = screenshot(*window, QStringLiteral("url-window-error.png"));
    // The message is drawn in red where its label is, inside the window.
    const QRect label(pane->errorLabel()->mapTo(window.get(), QPoint(0, 0)), pane->errorLabel()->size());
    ASSERT_TRUE(window->rect().contains(label));
    EXPECT_GT(redPixels(shown, label), 20) << "no red message";

    // The message goes 3 seconds after the last failure.
    EXPECT_TRUE(test::waitUntil([&] { return !errorShown(); }, std::chrono::milliseconds(4000)));
    EXPECT_TRUE(pane->errorLabel()->text().isEmpty());
    EXPECT_EQ(store->allData()->count(), 1);
}

TEST_F(AddModifyURLWindowTest, ModifyingShowsTheEntryAndAnUnchangedSaveCloses)
{
    const auto entry = test::addURLEntry(*store, QStringLiteral("Docs"), QStringLiteral("https://docs.example.org"));
    entry->setComment(QStringLiteral("manual"));
    show();
    pane->setReferenceTableViewItem(entry);
    EXPECT_EQ(pane->textFieldSiteURL()->text(), QStringLiteral("https://docs.example.org"));
    EXPECT_EQ(pane->textFieldSiteTitle()->text(), QStringLiteral("Docs"));
    EXPECT_EQ(pane->textFieldSiteComment()->text(), QStringLiteral("manual"));
    pane->buttonOKClick();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(entry->name(), QStringLiteral("Docs"));

    show();
    pane->setReferenceTableViewItem(entry);
    pane->textFieldSiteTitle()->setText(QStringLiteral("Documentation"));
    pane->buttonOKClick();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(entry->name(), QStringLiteral("Documentation"));
}

TEST_F(AddModifyURLWindowTest, TemplatesReplaceAndPlaceholdersInsertAtTheCaret)
{
    URLManager& manager = URLManager::shared();
    const QList<URLManager::Template> before = manager.urlTemplates();
    manager.urlTemplates() = {std::make_shared<urlTemplateData>(QStringLiteral("Wiki"),
                                                                QStringLiteral("https://wiki.example.org/%%userInput:Term%%")),
                              std::make_shared<urlTemplateData>(QString(), QStringLiteral("https://empty.example"))};
    show();
    ASSERT_EQ(pane->templateMenu()->actions().size(), 1) << "templates without title are cleaned up";
    typeURL(QStringLiteral("https://old.example.org"));
    pane->mnu_ReplaceWithTemplate(0);
    EXPECT_EQ(pane->textFieldSiteURL()->text(), QStringLiteral("https://wiki.example.org/%%userInput:Term%%"));

    const auto& placeholders = manager.urlPlaceholders();
    ASSERT_FALSE(placeholders.isEmpty());
    pane->textFieldSiteURL()->setText(QStringLiteral("https://a.example/XX/end"));
    pane->textFieldSiteURL()->setSelection(18, 2);
    pane->mnu_InsertPlaceholder(0);
    EXPECT_EQ(pane->textFieldSiteURL()->text(),
              QStringLiteral("https://a.example/") + placeholders.first()->value() + QStringLiteral("/end"));
    const QString inserted = pane->textFieldSiteURL()->text();
    EXPECT_EQ(pane->urlTextStats()->text(), QStringLiteral("%1 (max.: 3072)").arg(inserted.size()));
    EXPECT_TRUE(pane->urlTest()->isEnabled()) << "an edit of 4 or more characters";
    pane->mnu_InsertPlaceholder(int(placeholders.size()));
    EXPECT_EQ(pane->textFieldSiteURL()->text(), inserted) << "no such placeholder";
    QApplication::processEvents();
    const QImage shown = screenshot(*window, QStringLiteral("url-window-placeholder.png"));
    // The inserted placeholder is coloured in the field; the rest of the URL is not red.
    QLineEdit* field = pane->textFieldSiteURL();
    const QRect fieldRect(field->mapTo(window.get(), QPoint(0, 0)), field->size());
    EXPECT_GT(redPixels(shown, fieldRect), 30) << "the placeholder is not coloured";
    EXPECT_EQ(redPixels(shown, QRect(fieldRect.topLeft(), QSize(fieldRect.width() / 8, fieldRect.height()))), 0);
    manager.urlTemplates() = before;
}

TEST_F(AddModifyURLWindowTest, OpensWithShowsTheHandlerTestOpensAndCancelKeepsNothing)
{
    const QString written = test::makeTempDir(QStringLiteral("url-opened")) + QStringLiteral("/link");
    const QString handler = installURLHandler(written);
    // Left in place, discovery would list the handler in the later tests' stores.
    const auto removeHandler = qScopeGuard([&handler] { QFile::remove(handler); });
    ASSERT_TRUE(test::waitUntil([] {
        return platform::Workspace::shared().urlForApplicationToOpen(QUrl(QStringLiteral("vantelurl:x"))).has_value();
    }));
    window->setPalette(test::darkPalette());
    show();
    // A scheme nobody opens: the question symbol, seen on a dark window.
    typeURL(QStringLiteral("nosuchscheme://x"));
    pane->textFieldSiteTitle()->setFocus();
    int light = 0;
    const QImage question = pane->urlHostImage()->pixmap().toImage();
    for (int y = 0; y < question.height(); ++y)
        for (int x = 0; x < question.width(); ++x)
            light += qAlpha(question.pixel(x, y)) > 200 && QColor(question.pixel(x, y)).lightness() > 150 ? 1 : 0;
    EXPECT_GT(light, 20) << "the question symbol is dark on the dark window";
    screenshot(*window, QStringLiteral("url-window-opens-with-dark.png"));
    // The end of editing finds the application that opens the link.
    pane->textFieldSiteURL()->setFocus();
    pane->textFieldSiteURL()->setText(QStringLiteral("vantelurl://page/two"));
    pane->textFieldSiteTitle()->setFocus();
    EXPECT_EQ(QFileInfo(pane->urlHostPath()->text()).fileName(), QFileInfo(handler).fileName());
    // Test opens what the field holds, through the desktop.
    pane->urlTest()->click();
    EXPECT_TRUE(test::waitUntil([&] { return QFileInfo::exists(written); }));
    QFile link(written);
    EXPECT_TRUE(link.open(QIODevice::ReadOnly) && link.readAll() == "vantelurl://page/two");
    // Cancel closes without saving.
    const QList<QPushButton*> buttons = pane->view()->findChildren<QPushButton*>();
    const auto cancel = std::find_if(buttons.begin(), buttons.end(), [](QPushButton* b) { return b->text() == QStringLiteral("Cancel"); });
    ASSERT_NE(cancel, buttons.end());
    (*cancel)->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(store->allData()->count(), 0);
}

TEST_F(AddModifyURLWindowTest, EscapeCancelsTheWindowOfItsOwn)
{
    settingsui::ConfigWindowControllerAddModifyURL own;
    auto* content = dynamic_cast<URLPane*>(own.contentViewController().get());
    ASSERT_TRUE(content);
    own.showWindow(false);
    QTest::keyClick(content->textFieldSiteURL(), Qt::Key_Escape);
    EXPECT_FALSE(own.isWindowOpen());
}

TEST_F(AddModifyURLWindowTest, TheDataWindowsSheetIsCentredOverItAndAboveIt)
{
    auto sheetPane = std::make_shared<URLPane>(*store);
    auto requests = std::make_shared<test::FakeWindowRequests>();
    requests->makeViewController = [sheetPane](WindowKind::Kind) { return sheetPane; };
    const std::shared_ptr<WindowRequests> before = WindowRequests::shared();
    WindowRequests::setShared(requests);
    settingsui::ConfigWindowController data(services);
    data.window()->move(20, 10);
    data.showWindow(false);
    data.toolbarAction(QStringLiteral("Add URL"))->trigger();
    QWidget* sheet = sheetPane->view()->window();
    ASSERT_TRUE(sheet != sheetPane->view() && sheet->isVisible());
    EXPECT_EQ(sheet->windowHandle()->transientParent(), data.window()->windowHandle()) << "not kept above it";
    // Centred over the data window, as far as the screen leaves room.
    const QRect area = data.window()->screen()->availableGeometry();
    QRect expected(QPoint(), sheet->frameGeometry().size());
    expected.moveCenter(data.window()->frameGeometry().center());
    expected.moveLeft(std::clamp(expected.left(), area.left(), area.right() + 1 - expected.width()));
    expected.moveTop(std::clamp(expected.top(), area.top(), area.bottom() + 1 - expected.height()));
    EXPECT_LE((sheet->frameGeometry().topLeft() - expected.topLeft()).manhattanLength(), 4);
    sheetPane->buttonCancelClick();
    data.close();
    WindowRequests::setShared(before);
}

} // namespace
} // namespace vantel
