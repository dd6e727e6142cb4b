#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "model/iconTag.h"
#include "platform/Log.h"
#include "popups/CharacterLimit.h"
#include "popups/CustomTokenField.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCompleter>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

using namespace vantel;

namespace {

QString repeated(const QString& text, int times)
{
    QString result;
    for (int i = 0; i < times; ++i)
        result += text;
    return result;
}

class TokenFieldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        store = std::make_unique<DataStorage>();
        field = std::make_unique<CustomTokenField>();
        field->setInternalTagManager(&store->tagManager());
        field->resize(320, 30);
    }

    void addTag(const QString& name)
    {
        store->tagManager().allAvailableTags()->append(iconTag::create(name, QStringLiteral("icon_tags")));
        flushTags();
    }
    // Writes to the tag list are asynchronous barrier blocks: read once to wait for them.
    QStringList tagNames() const
    {
        QStringList names;
        for (const auto& tag : store->tagManager().allAvailableTags()->snapshot())
            names.append(tag->tagName());
        return names;
    }
    void flushTags() const { (void)store->tagManager().allAvailableTags()->count(); }

    // Shows the field in a window and gives it the focus.
    void showAndFocus()
    {
        window = std::make_unique<QWidget>();
        auto* layout = new QVBoxLayout(window.get());
        field->setParent(window.get());
        layout->addWidget(field.get());
        other = new QLineEdit(window.get());
        layout->addWidget(other);
        window->resize(340, 120);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        field->editor()->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(test::waitUntil([&] { return field->isEditing(); }));
    }

    void TearDown() override
    {
        if (window)
            (void)field.release(); // the window owns it now
        window.reset();
        field.reset();
        store.reset();
    }

    std::unique_ptr<DataStorage> store;
    std::unique_ptr<CustomTokenField> field;
    std::unique_ptr<QWidget> window;
    QLineEdit* other = nullptr;
};

} // namespace

TEST(CharacterLimitTest, CountsAndCutsWholeCharacters)
{
    EXPECT_EQ(characterCount(QStringLiteral("abc")), 3);
    const QString family = QString::fromUtf8("\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7");
    const QString eAcute = QStringLiteral("e\u0301");
    EXPECT_EQ(characterCount(family), 1);
    EXPECT_EQ(characterCount(eAcute + eAcute), 2);
    EXPECT_EQ(leftCharacters(QStringLiteral("a") + family + QStringLiteral("b"), 2), QStringLiteral("a") + family);
    EXPECT_EQ(leftCharacters(eAcute + QStringLiteral("x"), 1), eAcute);
    EXPECT_EQ(leftCharacters(QStringLiteral("ab"), 5), QStringLiteral("ab"));
    EXPECT_EQ(leftCharacters(QStringLiteral("ab"), 0), QString());
    EXPECT_EQ(leftCharacters(QStringLiteral("ab\r\ncd"), 3), QStringLiteral("ab\r\n"));
}

TEST_F(TokenFieldTest, LongTokensAreCutAtCharacterBoundaries)
{
    const QString seventy = repeated(QStringLiteral("a"), 70);
    // A 71-character token becomes its first 70; a 70-character one stays.
    EXPECT_EQ(CustomTokenField::shortenTokens({seventy + QStringLiteral("b")}), QStringList{seventy});
    EXPECT_EQ(CustomTokenField::shortenTokens({seventy}), QStringList{seventy});

    // Two long tokens agreeing in their first 70: the second goes, the next is still cut.
    const QString other = repeated(QStringLiteral("c"), 75);
    EXPECT_EQ(CustomTokenField::shortenTokens({seventy + QStringLiteral("x"), seventy + QStringLiteral("y"), other}),
              (QStringList{seventy, repeated(QStringLiteral("c"), 70)}));
    // A cut token equal to a token still to come is dropped.
    EXPECT_EQ(CustomTokenField::shortenTokens({seventy + QStringLiteral("x"), seventy}), QStringList{seventy});

    // An emoji (a surrogate pair) or a combining sequence at the cut stays whole.
    const QString rocket = QString::fromUtf8("\xF0\x9F\x9A\x80");
    const QString combined = QStringLiteral("o\u0308");
    const QString sixtyNine = repeated(QStringLiteral("a"), 69);
    const QStringList cut = CustomTokenField::shortenTokens(
        {sixtyNine + rocket + rocket, sixtyNine + combined + QStringLiteral("zz")});
    ASSERT_EQ(cut.size(), 2);
    EXPECT_EQ(cut.at(0), sixtyNine + rocket);
    EXPECT_EQ(cut.at(1), sixtyNine + combined);
    // 70 emoji are 70 characters: nothing to cut.
    EXPECT_EQ(CustomTokenField::shortenTokens({repeated(rocket, 70)}), QStringList{repeated(rocket, 70)});
}

TEST_F(TokenFieldTest, ShorteningIsLoggedWhileDebugLoggingIsOn)
{
    platform::Log::CaptureSink sink;
    platform::Log::setDebugLogging(true);
    const QString seventy = repeated(QStringLiteral("a"), 70);
    CustomTokenField::shortenTokens({seventy + QStringLiteral("1"), seventy + QStringLiteral("2")});
    platform::Log::setDebugLogging(false);
    EXPECT_EQ(sink.messages(),
              (QStringList{QStringLiteral("Token is too long and will be shortened: ") + seventy + QStringLiteral("1"),
                           QStringLiteral("Token renamed successfully"),
                           QStringLiteral("Token is too long and will be shortened: ") + seventy + QStringLiteral("2"),
                           QStringLiteral("There is already a token with the shortened name. The newly shortened "
                                          "token will be discarded!")}));
    sink.clear();
    CustomTokenField::shortenTokens({seventy + QStringLiteral("1")});
    EXPECT_TRUE(sink.messages().isEmpty());
}

TEST_F(TokenFieldTest, AddingDropsHeldNamesAndCreatesUnknownTags)
{
    addTag(QStringLiteral("Work"));
    field->setObjectValue({QStringLiteral("Work")});
    showAndFocus();
    ASSERT_EQ(field->currentTokens(), QStringList{QStringLiteral("Work")});

    // Held in another case, or with spaces around: nothing is added.
    EXPECT_TRUE(field->shouldAddObjects({QStringLiteral("work")}, 1).isEmpty());
    EXPECT_TRUE(field->shouldAddObjects({QStringLiteral("  WORK ")}, 1).isEmpty());
    // A non-string refuses the whole batch.
    EXPECT_TRUE(field->shouldAddObjects({QStringLiteral("Home"), QVariant(3)}, 1).isEmpty());
    EXPECT_EQ(tagNames(), QStringList{QStringLiteral("Work")});

    // A new name is trimmed, creates one used tag with the default symbol;
    // the same name twice in one batch comes in once.
    EXPECT_EQ(field->shouldAddObjects({QStringLiteral(" Home |Office "), QStringLiteral("home|office")}, 1),
              QStringList{QStringLiteral("Home|Office")});
    const QStringList names = tagNames();
    EXPECT_EQ(names, (QStringList{QStringLiteral("Work"), QStringLiteral("Home|Office")}));
    const auto created = store->tagManager().allAvailableTags()->at(1);
    ASSERT_TRUE(created.has_value());
    EXPECT_TRUE((*created)->tagUsed());
    EXPECT_EQ((*created)->tagSymbol(), QStringLiteral("icon_tags"));
    EXPECT_EQ(field->currentTokens(), (QStringList{QStringLiteral("Work"), QStringLiteral("Home|Office")}));

    // An existing tag in another case creates none.
    field->shouldAddObjects({QStringLiteral("WORK|x")}, 2);
    EXPECT_EQ(field->shouldAddObjects({QStringLiteral("home|OFFICE")}, 3), QStringList{});
    field->shouldAddObjects({QStringLiteral("Misc")}, 3);
    EXPECT_EQ(tagNames().size(), 4);
    EXPECT_EQ(field->shouldAddObjects({QStringLiteral("mISC")}, 4), QStringList{});

    // A long token that, cut, equals another tag is matched against that tag.
    const QString seventy = repeated(QStringLiteral("t"), 70);
    addTag(seventy);
    EXPECT_EQ(field->shouldAddObjects({seventy + QStringLiteral("tail")}, 4), QStringList{seventy});
    EXPECT_EQ(tagNames().count(seventy), 1);
}

TEST_F(TokenFieldTest, CompletionsContainTheTypedTextInAnyCase)
{
    for (const char* name : {"beta", "Alphabet", "ALPHA", "alpha|sub", "Gamma", "Zeta|Alp"})
        addTag(QString::fromLatin1(name));
    auto completions = field->completionsForSubstring(QStringLiteral("alp"));
    EXPECT_EQ(completions.names, (QStringList{QStringLiteral("ALPHA"), QStringLiteral("Alphabet"),
                                              QStringLiteral("Zeta|Alp"), QStringLiteral("alpha|sub")}));
    EXPECT_EQ(completions.indexOfSelectedItem, 3);

    completions = field->completionsForSubstring(QStringLiteral("Alp"));
    EXPECT_EQ(completions.indexOfSelectedItem, 1);
    completions = field->completionsForSubstring(QStringLiteral("ET"));
    EXPECT_EQ(completions.names, (QStringList{QStringLiteral("Alphabet"), QStringLiteral("Zeta|Alp"), QStringLiteral("beta")}));
    EXPECT_EQ(completions.indexOfSelectedItem, -1);
    EXPECT_TRUE(field->completionsForSubstring(QStringLiteral("xyz")).names.isEmpty());

    CustomTokenField unmanaged;
    EXPECT_TRUE(unmanaged.completionsForSubstring(QStringLiteral("a")).names.isEmpty());
}

TEST_F(TokenFieldTest, TypingCommaAndReturnEndTokens)
{
    addTag(QStringLiteral("Work"));
    showAndFocus();
    QTest::keyClicks(field->editor(), QStringLiteral("one,"));
    EXPECT_EQ(field->objectValue(), QStringList{QStringLiteral("one")});
    EXPECT_TRUE(field->editor()->text().isEmpty());
    QTest::keyClicks(field->editor(), QStringLiteral("two"));
    QTest::keyClick(field->editor(), Qt::Key_Return);
    EXPECT_EQ(field->objectValue(), (QStringList{QStringLiteral("one"), QStringLiteral("two")}));
    EXPECT_TRUE(field->isEditing());
    // A pasted list splits at its commas.
    QTest::keyClicks(field->editor(), QStringLiteral("three, four ,five"));
    EXPECT_EQ(field->objectValue().size(), 4);
    EXPECT_EQ(field->editor()->text(), QStringLiteral("five"));
    QTest::keyClick(field->editor(), Qt::Key_Return);
    EXPECT_EQ(field->objectValue(),
              (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three"),
                           QStringLiteral("four"), QStringLiteral("five")}));
    EXPECT_TRUE(tagNames().contains(QStringLiteral("four")));
}

TEST_F(TokenFieldTest, CompletionListPreselectsAndTakesItsChoice)
{
    for (const char* name : {"Office", "office tools", "Backoffice"})
        addTag(QString::fromLatin1(name));
    showAndFocus();
    QTest::keyClicks(field->editor(), QStringLiteral("off"));
    QAbstractItemView* popup = field->completer()->popup();
    ASSERT_TRUE(test::waitUntil([&] { return popup->isVisible(); }));
    EXPECT_EQ(popup->model()->rowCount(), 3);
    ASSERT_TRUE(popup->currentIndex().isValid());
    EXPECT_EQ(popup->currentIndex().data().toString(), QStringLiteral("office tools"));
    QTest::keyClick(field->editor(), Qt::Key_Return);
    EXPECT_EQ(field->objectValue(), QStringList{QStringLiteral("office tools")});
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(tagNames().size(), 3);

    // Without a case-sensitive prefix nothing is preselected: Return takes the text as typed.
    QTest::keyClicks(field->editor(), QStringLiteral("OFF"));
    ASSERT_TRUE(test::waitUntil([&] { return popup->isVisible(); }));
    EXPECT_FALSE(popup->currentIndex().isValid());
    QTest::keyClick(field->editor(), Qt::Key_Return);
    EXPECT_EQ(field->objectValue(), (QStringList{QStringLiteral("office tools"), QStringLiteral("OFF")}));
    EXPECT_EQ(tagNames().size(), 4);

    // Keys reach the list first when it has the keyboard: the choice is taken once.
    QTest::keyClicks(field->editor(), QStringLiteral("Backo"));
    ASSERT_TRUE(test::waitUntil([&] { return popup->isVisible(); }));
    QTest::keyClick(popup, Qt::Key_Return);
    EXPECT_EQ(field->objectValue(),
              (QStringList{QStringLiteral("office tools"), QStringLiteral("OFF"), QStringLiteral("Backoffice")}));
    EXPECT_TRUE(field->editor()->text().isEmpty());

    // Escape closes the list and keeps the typing.
    QTest::keyClicks(field->editor(), QStringLiteral("Back"));
    ASSERT_TRUE(test::waitUntil([&] { return popup->isVisible(); }));
    QTest::keyClick(field->editor(), Qt::Key_Escape);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(field->editor()->text(), QStringLiteral("Back"));
}

TEST_F(TokenFieldTest, BackspaceSelectsThenDeletesChips)
{
    field->setObjectValue({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    showAndFocus();
    QSignalSpy changed(field.get(), &CustomTokenField::tokensChanged);
    QTest::keyClick(field->editor(), Qt::Key_Backspace);
    EXPECT_EQ(field->selectedTokenIndexes(), QList<qsizetype>{2});
    EXPECT_EQ(field->objectValue().size(), 3);
    QTest::keyClick(field->editor(), Qt::Key_Left);
    EXPECT_EQ(field->selectedTokenIndexes(), QList<qsizetype>{1});
    QTest::keyClick(field->editor(), Qt::Key_Backspace);
    EXPECT_EQ(field->objectValue(), (QStringList{QStringLiteral("a"), QStringLiteral("c")}));
    EXPECT_EQ(field->currentTokens(), field->objectValue());
    EXPECT_EQ(changed.count(), 1);

    // A click selects a chip; Delete removes it.
    QTest::mouseClick(field.get(), Qt::LeftButton, {}, field->tokenRect(0).center());
    EXPECT_EQ(field->selectedTokenIndexes(), QList<qsizetype>{0});
    QTest::keyClick(field->editor(), Qt::Key_Delete);
    EXPECT_EQ(field->objectValue(), QStringList{QStringLiteral("c")});

    // Backspace inside typed text edits the text only.
    QTest::keyClicks(field->editor(), QStringLiteral("xy"));
    QTest::keyClick(field->editor(), Qt::Key_Backspace);
    EXPECT_EQ(field->editor()->text(), QStringLiteral("x"));
    EXPECT_TRUE(field->selectedTokenIndexes().isEmpty());

    // Ctrl+A selects every chip; Ctrl+X cuts them to the clipboard.
    field->editor()->clear();
    field->setObjectValue({QStringLiteral("p"), QStringLiteral("q")});
    QTest::keyClick(field->editor(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(field->selectedTokenIndexes().size(), 2);
    QTest::keyClick(field->editor(), Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(field->objectValue().isEmpty());
}

TEST_F(TokenFieldTest, EndOfEditingReportsChangedSets)
{
    field->setObjectValue({QStringLiteral("a"), QStringLiteral("b")});
    int ended = 0;
    int changed = 0;
    field->didEndEditingHandler = [&] { ++ended; };
    field->didEndEditingAndValueWasChangedHandler = [&] { ++changed; };
    showAndFocus();
    EXPECT_EQ(field->tokensBeforeEditing(), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));

    // Leaving unchanged: ended, not changed.
    other->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(test::waitUntil([&] { return ended == 1; }));
    EXPECT_EQ(changed, 0);
    EXPECT_FALSE(field->isEditing());

    // Typed text left over becomes a token when the focus leaves.
    field->editor()->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(test::waitUntil([&] { return field->isEditing(); }));
    QTest::keyClicks(field->editor(), QStringLiteral("c"));
    other->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(test::waitUntil([&] { return ended == 2; }));
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(field->objectValue(), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));

    // Return on an empty line ends editing too.
    field->editor()->setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(test::waitUntil([&] { return field->isEditing(); }));
    QTest::keyClick(field->editor(), Qt::Key_Backspace);
    QTest::keyClick(field->editor(), Qt::Key_Backspace);
    QTest::keyClick(field->editor(), Qt::Key_Return);
    EXPECT_EQ(ended, 3);
    EXPECT_EQ(changed, 2);
}

TEST_F(TokenFieldTest, RendersChipsToPng)
{
    for (const char* name : {"Office", "Office|Microsoft", "Development", "Games"})
        addTag(QString::fromLatin1(name));
    field->setObjectValue({QStringLiteral("Office"), QStringLiteral("Office|Microsoft"), QStringLiteral("Development"),
                           QStringLiteral("Games"), QString::fromUtf8("Caf\xC3\xA9 \xF0\x9F\x9A\x80")});
    showAndFocus();
    QTest::keyClicks(field->editor(), QStringLiteral("tool"));
    field->selectToken(2);
    window->adjustSize();
    EXPECT_GT(field->height(), field->minimumSizeHint().height()); // wrapped onto a second row
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/output");
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_TRUE(window->grab().save(folder + QStringLiteral("/token-field.png")));

    // The completion list for "off".
    field->editor()->clear();
    QTest::keyClicks(field->editor(), QStringLiteral("off"));
    QAbstractItemView* popup = field->completer()->popup();
    ASSERT_TRUE(test::waitUntil([&] { return popup->isVisible(); }));
    EXPECT_TRUE(popup->grab().save(folder + QStringLiteral("/token-completions.png")));
}
