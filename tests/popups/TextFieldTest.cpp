#include "model/TableViewItem.h"
#include "platform/NotificationCenter.h"
#include "popups/CustomEditableTextLabel.h"
#include "popups/CustomTextField.h"
#include "popups/CustomTextFieldDelegate.h"
#include "popups/CustomTextFieldForEditingComment.h"
#include "popups/CustomTextFieldForEditingTags.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QVBoxLayout>

#include <memory>

using namespace vantel;

namespace {

class RecordingDelegate : public CustomTextFieldDelegate {
public:
    bool shouldChangeValue(const QString& oldValue, const QString& newValue) override
    {
        asked.append({oldValue, newValue});
        return answer;
    }
    bool answer = true;
    QList<QPair<QString, QString>> asked;
};

// A window with the field under test and a second field to move the focus to.
class TextFieldTest : public ::testing::Test {
protected:
    template <typename Field>
    Field* show(Field* field)
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(field);
        other = new QLineEdit(&window);
        layout->addWidget(other);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        return field;
    }
    void focus(QWidget* widget)
    {
        widget->setFocus(Qt::TabFocusReason);
        EXPECT_TRUE(test::waitUntil([&] { return widget->hasFocus(); }));
    }

    QWidget window;
    QLineEdit* other = nullptr;
};

} // namespace

TEST_F(TextFieldTest, LimitCutsWholeCharacters)
{
    auto* field = show(new CustomTextField);
    int changes = 0;
    field->didChangeHandler = [&] { ++changes; };
    field->setMaxLength(5);
    focus(field);
    QTest::keyClicks(field, QStringLiteral("abcdefg"));
    EXPECT_EQ(field->text(), QStringLiteral("abcde"));
    EXPECT_EQ(changes, 7);

    // An emoji or a letter with its combining mark counts once and stays whole.
    field->clear();
    const QString rocket = QString::fromUtf8("\xF0\x9F\x9A\x80");
    field->insert(QStringLiteral("abc") + rocket + QStringLiteral("e\u0301x"));
    emit field->textEdited(field->text());
    EXPECT_EQ(field->text(), QStringLiteral("abc") + rocket + QStringLiteral("e\u0301"));

    // 0 and none do not limit.
    field->setMaxLength(0);
    QTest::keyClicks(field, QStringLiteral("12345"));
    EXPECT_GT(field->text().size(), 10);
    field->setMaxLength(std::nullopt);
    QTest::keyClicks(field, QStringLiteral("6"));
    EXPECT_TRUE(field->text().endsWith(QLatin1Char('6')));
}

TEST_F(TextFieldTest, KeyEquivalentsNeedExactModifiers)
{
    auto* field = show(new CustomTextField);
    focus(field);
    QTest::keyClicks(field, QStringLiteral("ab"));
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(field->text().isEmpty());
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(field->text(), QStringLiteral("ab"));
    // With a further modifier the field's own handling has it: no undo.
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(field->text().startsWith(QStringLiteral("ab")));
    field->setText(QStringLiteral("ab"));
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(field->selectedText(), QStringLiteral("ab"));
    QTest::keyClick(field, Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(field->text().isEmpty());
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(field->text(), QStringLiteral("abab"));
}

TEST_F(TextFieldTest, EditingBeginsWithTheFocusAndEndsWhenItLeaves)
{
    auto* field = show(new CustomTextField);
    focus(other);
    QStringList events;
    field->willBecomeFirstResponder = [&] { events.append(QStringLiteral("will")); };
    field->didBeginEditingHandler = [&] { events.append(QStringLiteral("begin")); };
    field->didEndEditingHandler = [&] { events.append(QStringLiteral("end")); };
    focus(field);
    EXPECT_TRUE(field->isCurrentlyEditing());
    focus(other);
    EXPECT_FALSE(field->isCurrentlyEditing());
    EXPECT_EQ(events, (QStringList{QStringLiteral("will"), QStringLiteral("begin"), QStringLiteral("end")}));

    // Return ends editing too; typing begins it again.
    focus(field);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(events.size(), 6);
    QTest::keyClicks(field, QStringLiteral("x"));
    EXPECT_EQ(events.last(), QStringLiteral("begin"));

    // The focus hook may refuse.
    focus(other);
    events.clear();
    field->willBecomeFirstResponder = [&] { field->setIsCurrentlyEditing(false); };
    field->setFocus(Qt::TabFocusReason);
    test::spinEventLoop(std::chrono::milliseconds(20));
    EXPECT_FALSE(field->hasFocus());
    EXPECT_TRUE(events.isEmpty());
}

TEST_F(TextFieldTest, CommentFieldWritesTheEntryOnEnd)
{
    auto item = TableViewItem::initForURL(QStringLiteral("https://example.org"), QStringLiteral("Example"),
                                          QStringLiteral("old"));
    int announced = 0;
    auto token = platform::NotificationCenter::defaultCenter().addObserver(
        QStringLiteral("tableViewItemChanged"), [&](const platform::Notification&) { ++announced; });
    auto* field = show(new CustomTextFieldForEditingComment);
    field->setOwnerItem(item);
    field->setText(item->comment());
    focus(field);
    focus(other);
    EXPECT_EQ(announced, 0);
    focus(field);
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("new"));
    focus(other);
    EXPECT_EQ(item->comment(), QStringLiteral("new"));
    EXPECT_EQ(announced, 1);
    platform::NotificationCenter::defaultCenter().removeObserver(token);
}

TEST_F(TextFieldTest, TagNameEditorRestoresOrAsks)
{
    RecordingDelegate delegate;
    auto* field = new CustomTextFieldForEditingTags;
    field->setText(QStringLiteral("Work"));
    show(field);
    focus(other);
    field->setCustomTextFieldDelegate(&delegate);

    // Escape restores the name editing began with.
    focus(field);
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("Other"));
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_EQ(field->text(), QStringLiteral("Work"));

    // Empty or unchanged after normalising: restored without asking.
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral(" | "));
    focus(other);
    EXPECT_EQ(field->text(), QStringLiteral("Work"));
    EXPECT_TRUE(delegate.asked.isEmpty());

    // A veto restores; a yes keeps the normalised name's typing.
    focus(field);
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral(" Job |Old "));
    delegate.answer = false;
    focus(other);
    ASSERT_EQ(delegate.asked.size(), 1);
    EXPECT_EQ(delegate.asked.at(0), qMakePair(QStringLiteral("Work"), QStringLiteral("Job|Old")));
    EXPECT_EQ(field->text(), QStringLiteral("Work"));
    EXPECT_EQ(field->tagNameAfterEdit(), QStringLiteral("Job|Old"));
    delegate.answer = true;
    focus(field);
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("Job"));
    focus(other);
    EXPECT_EQ(field->text(), QStringLiteral("Job"));

    // The limit of a tag name is 70.
    EXPECT_EQ(field->maxLength(), 70);
}

TEST_F(TextFieldTest, EditableLabelEditsOnDoubleClick)
{
    RecordingDelegate delegate;
    auto* label = show(new CustomEditableTextLabel);
    label->setCustomTextFieldDelegate(&delegate);
    label->setText(QStringLiteral("Games"));
    EXPECT_FALSE(label->isEditable());
    QTest::mouseClick(label, Qt::LeftButton);
    EXPECT_FALSE(label->isEditable());
    QTest::mouseDClick(label, Qt::LeftButton);
    EXPECT_TRUE(label->isEditable());
    EXPECT_TRUE(test::waitUntil([&] { return label->hasFocus(); }));
    EXPECT_EQ(label->selectedText(), QStringLiteral("Games"));

    QTest::keyClicks(label, QStringLiteral("  Play "));
    QTest::keyClick(label, Qt::Key_Return);
    EXPECT_FALSE(label->isEditable());
    ASSERT_EQ(delegate.asked.size(), 1);
    EXPECT_EQ(delegate.asked.at(0).second, QStringLiteral("Play"));
    EXPECT_EQ(label->text(), QStringLiteral("Play"));

    // Escape restores and makes it a label again.
    QTest::mouseDClick(label, Qt::LeftButton);
    EXPECT_TRUE(test::waitUntil([&] { return label->hasFocus(); }));
    QTest::keyClicks(label, QStringLiteral("Nope"));
    QTest::keyClick(label, Qt::Key_Escape);
    EXPECT_EQ(label->text(), QStringLiteral("Play"));
    EXPECT_FALSE(label->isEditable());
    EXPECT_EQ(delegate.asked.size(), 1);

    // Not allowed: a double click does nothing.
    label->setEditIsAllowed(false);
    QTest::mouseDClick(label, Qt::LeftButton);
    EXPECT_FALSE(label->isEditable());
}
