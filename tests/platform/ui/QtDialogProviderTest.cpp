#include "platform/Dialogs.h"
#include "platform/ui/QtDialogProvider.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace vantel::platform;

namespace {

// Acts on the modal dialog once it is up; gives up after a while so a
// broken dialog fails the test instead of hanging it.
template <class Dialog>
void whenShown(std::function<void(Dialog*)> act)
{
    auto attempts = std::make_shared<int>(0);
    auto poll = std::make_shared<std::function<void()>>();
    // The pending timer owns the poll; the poll itself only refers back weakly.
    std::weak_ptr<std::function<void()>> self = poll;
    *poll = [act, attempts, self] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible()) {
            act(dialog);
            return;
        }
        if (++*attempts < 200) {
            if (auto again = self.lock())
                QTimer::singleShot(20, [again] { (*again)(); });
        } else if (QWidget* other = QApplication::activeModalWidget()) {
            other->close();
        }
    };
    QTimer::singleShot(20, [poll] { (*poll)(); });
}

// As a user would: the name typed into the file name field.
void choose(QFileDialog* panel, const QString& path)
{
    auto* edit = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(edit, nullptr);
    edit->setText(QFileInfo(path).fileName());
    ASSERT_EQ(panel->selectedFiles(), QStringList{path});
}

class QtDialogProviderTest : public ::testing::Test {
protected:
    void SetUp() override { QtDialogProvider::install(); }
    void TearDown() override { DialogProvider::setShared(nullptr); }
};

TEST_F(QtDialogProviderTest, AlertShowsItsButtonsInOrderAndReportsTheChoice)
{
    QStringList seenButtons;
    QString seenText;
    whenShown<QMessageBox>([&](QMessageBox* box) {
        seenText = box->text();
        for (QAbstractButton* button : box->buttons())
            seenButtons << button->text();
        box->checkBox()->setChecked(true);
        box->buttons().at(1)->click();
    });
    AlertRequest request;
    request.messageText = QStringLiteral("Should the selected entry be deleted?");
    request.buttons = {QStringLiteral("OK"), QStringLiteral("Cancel")};
    request.showsSuppressionButton = true;
    const AlertResponse response = Dialogs::runAlert(request);
    EXPECT_EQ(seenText, request.messageText);
    EXPECT_EQ(seenButtons, request.buttons);
    EXPECT_EQ(response.buttonIndex, 1);
    EXPECT_TRUE(response.suppressionChecked);
}

TEST_F(QtDialogProviderTest, ShowAlertClosesWithOkAndEscapeChoosesCancel)
{
    whenShown<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->icon(), QMessageBox::Information);
        EXPECT_EQ(box->checkBox(), nullptr);
        box->buttons().first()->click();
    });
    Dialogs::showAlert(QStringLiteral("Error saving globalBookmarks to file"), QStringLiteral("Error: x"));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    whenShown<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    AlertRequest request;
    request.style = AlertStyle::Warning;
    request.buttons = {QStringLiteral("Launch all"), QStringLiteral("Cancel")};
    EXPECT_EQ(Dialogs::runAlert(request).buttonIndex, 1);
}

TEST_F(QtDialogProviderTest, OpenPanelAcceptsAFolderWhenFoldersMayBeChosen)
{
    const QString dir = vantel::test::makeTempDir(QStringLiteral("panel"));
    const QString folder = dir + QStringLiteral("/chosen");
    QDir().mkpath(folder);
    QFile(dir + QStringLiteral("/file.txt")).open(QIODevice::WriteOnly);

    whenShown<QFileDialog>([&](QFileDialog* panel) {
        choose(panel, folder);
        QMetaObject::invokeMethod(panel, "accept");
    });
    OpenPanelRequest request;
    request.canChooseFiles = true;
    request.canChooseDirectories = true;
    request.directory = dir;
    request.message = QStringLiteral("Select a file or folder to add it to the list");
    const OpenPanelResponse response = Dialogs::runOpenPanel(request);
    EXPECT_TRUE(response.accepted);
    EXPECT_EQ(response.paths, QStringList{folder});

    // A choice the validator refuses keeps the panel open; then it is cancelled.
    bool refused = false;
    request.validate = [&](const QString&, QString*) {
        refused = true;
        return false;
    };
    whenShown<QFileDialog>([&](QFileDialog* panel) {
        choose(panel, dir + QStringLiteral("/file.txt"));
        QMetaObject::invokeMethod(panel, "accept");
        EXPECT_TRUE(panel->isVisible());
        panel->reject();
    });
    EXPECT_FALSE(Dialogs::runOpenPanel(request).accepted);
    EXPECT_TRUE(refused);
}

TEST_F(QtDialogProviderTest, PanelsProposeTheNameAndFilterByTheAllowedTypes)
{
    const QString dir = vantel::test::makeTempDir(QStringLiteral("typed-panels"));
    QString proposed;
    QStringList filters;
    whenShown<QFileDialog>([&](QFileDialog* panel) {
        proposed = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
        filters = panel->nameFilters();
        panel->reject();
    });
    SavePanelRequest save;
    save.directory = dir;
    save.allowedFileTypes = {QStringLiteral("csv")};
    save.fileTypeDescription = QStringLiteral("CSV text");
    save.nameFieldStringValue = QStringLiteral("Entries.csv");
    EXPECT_FALSE(Dialogs::runSavePanel(save).accepted);
    EXPECT_EQ(proposed, QStringLiteral("Entries.csv"));
    EXPECT_EQ(filters, QStringList{QStringLiteral("CSV text (*.csv)")});

    whenShown<QFileDialog>([&](QFileDialog* panel) {
        filters = panel->nameFilters();
        panel->reject();
    });
    OpenPanelRequest open;
    open.directory = dir;
    open.allowedFileTypes = {QStringLiteral("Vantel_ExportData")};
    open.fileTypeDescription = QStringLiteral("Vantel export");
    EXPECT_FALSE(Dialogs::runOpenPanel(open).accepted);
    EXPECT_EQ(filters, QStringList{QStringLiteral("Vantel export (*.Vantel_ExportData)")});
}

} // namespace
