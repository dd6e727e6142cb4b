#include "access/URLManager.h"
#include "access/URLRegExParser.h"
#include "access/ui/QtURLInputDialogProvider.h"
#include "access/ui/URLInputViewController.h"
#include "platform/Bundle.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vantel;

namespace {

TEST(URLInputViewControllerTest, ReturnAnswersLikeOkWithTheTextTyped)
{
    URLInputViewController controller;
    controller.setDialogLabel(QStringLiteral("Search for"));
    EXPECT_EQ(controller.labelURL()->text(), QStringLiteral("Search for"));
    QTimer::singleShot(0, &controller, [&] {
        QTest::keyClicks(controller.inputURL(), QStringLiteral("two words"));
        QTest::keyClick(controller.inputURL(), Qt::Key_Return);
    });
    EXPECT_EQ(controller.exec(), QDialog::Accepted);
    EXPECT_EQ(controller.modalResponse(), std::optional<int>(1));
    EXPECT_EQ(controller.dialogResult(), std::optional<QString>(QStringLiteral("two words")));
}

TEST(URLInputViewControllerTest, AnEmptyAnswerIsAnAnswerAndAnEmptyQuestionShowsInput)
{
    URLInputViewController controller;
    controller.setDialogLabel(QString());
    EXPECT_EQ(controller.labelURL()->text(), QStringLiteral("Input"));
    controller.setDialogLabel(std::nullopt);
    EXPECT_EQ(controller.labelURL()->text(), QStringLiteral("Input"));
    QTimer::singleShot(0, &controller, [&] { controller.btnOKClick(); });
    EXPECT_EQ(controller.exec(), QDialog::Accepted);
    EXPECT_EQ(controller.dialogResult(), std::optional<QString>(QString()));
}

TEST(URLInputViewControllerTest, CancelAndClosingTheWindowGiveNoAnswer)
{
    URLInputViewController cancelled;
    QTimer::singleShot(0, &cancelled, [&] {
        QTest::keyClicks(cancelled.inputURL(), QStringLiteral("typed"));
        cancelled.btnCancelClick();
    });
    EXPECT_EQ(cancelled.exec(), QDialog::Rejected);
    EXPECT_EQ(cancelled.modalResponse(), std::optional<int>(0));

    URLInputViewController closed;
    QTimer::singleShot(0, &closed, [&] {
        QTest::keyClicks(closed.inputURL(), QStringLiteral("typed"));
        closed.close();
    });
    EXPECT_EQ(closed.exec(), QDialog::Rejected);
    EXPECT_FALSE(closed.modalResponse().has_value());
    EXPECT_FALSE(closed.dialogResult().has_value());
}

TEST(URLInputViewControllerTest, WithoutAnApplicationTheGenericIconShows)
{
    URLInputViewController controller;
    controller.configureDialog(std::nullopt);
    EXPECT_FALSE(controller.showsApplicationIcon());
    controller.configureDialog(QStringLiteral("/no/such/application.desktop"));
    EXPECT_FALSE(controller.showsApplicationIcon());
}

TEST(URLInputViewControllerTest, TheFallbackIsTheBundlesCustomURLPictureInTheTextsColour)
{
    URLInputViewController controller;
    const QImage expected = platform::Bundle::main().imageNamed(QStringLiteral("url_Custom"))->pixmap(64, 64).toImage();
    const QImage shown = controller.imageURL()->pixmap().toImage();
    ASSERT_EQ(shown.size(), expected.size());
    const int text = qGray(controller.palette().color(QPalette::WindowText).rgb());
    int painted = 0, wrong = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb pixel = shown.pixel(x, y);
            painted += qAlpha(pixel) > 200;
            wrong += qAbs(qAlpha(pixel) - qAlpha(expected.pixel(x, y))) > 8
                || (qAlpha(pixel) > 200 && qAbs(qGray(pixel) - text) > 12);
        }
    EXPECT_GT(painted, 50);
    EXPECT_EQ(wrong, 0) << "not the bundle's picture in the text's colour";
}

// Run only under a German locale: "Ask for input" puts a German question
// into the address, and the dialog asks it.
TEST(GermanURLInput, AskForInputAsksItsQuestionInGerman)
{
    const auto& placeholders = URLManager::shared().urlPlaceholders();
    ASSERT_FALSE(placeholders.isEmpty());
    EXPECT_EQ(placeholders.first()->title().toStdString(), "Nach einer Eingabe fragen");
    EXPECT_EQ(placeholders.first()->value().toStdString(), "%%userInput:Frage%%");

    QtURLInputDialogProvider::install();
    QString asked;
    QTimer::singleShot(0, [&] {
        auto* dialog = dynamic_cast<URLInputViewController*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        asked = dialog->labelURL()->text();
        dialog->grab().save(test::outputFolder() + QStringLiteral("/german-url-question.png"));
        QTest::keyClicks(dialog->inputURL(), QStringLiteral("Kiel"));
        dialog->btnOKClick();
    });
    const auto parser = URLRegExParser::create(QStringLiteral("https://example.org/?q=") + placeholders.first()->value(),
                                               std::nullopt);
    ASSERT_TRUE(parser);
    parser->findPlaceholders();
    EXPECT_EQ(parser->replacePlaceholders(QStringLiteral("\n")), QStringLiteral("https://example.org/?q=Kiel"));
    URLInputDialogProvider::setShared(nullptr);
    EXPECT_EQ(asked.toStdString(), "Frage");
}

} // namespace
