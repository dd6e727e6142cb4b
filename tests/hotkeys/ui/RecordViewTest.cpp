#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/ui/RecordView.h"
#include "platform/GlobalHotKeys.h"
#include "hotkeys/ui/RecordViewDelegate.h"
#include "hotkeys/ui/ClearButton.h"
#include "hotkeys/ui/KeyComboHolder.h"
#include "support/AcceptingHotKeys.h"

#include <tuple>

#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace vantel;

namespace {

class Owner : public RecordViewDelegate {
public:
    bool mayRecord(RecordView&) override
    {
        calls << QStringLiteral("mayRecord");
        return allowRecording;
    }
    bool acceptsKeyCombo(RecordView&, const KeyCombo& combo) override
    {
        calls << QStringLiteral("accepts ") + combo.displayString();
        return !refused || !(*refused == combo);
    }
    void keyComboChanged(RecordView&, const std::optional<KeyCombo>& combo) override
    {
        calls << QStringLiteral("changed ") + (combo ? combo->displayString() : QStringLiteral("none"));
    }
    void recordingEnded(RecordView&) override { calls << QStringLiteral("ended"); }

    bool allowRecording = true;
    std::optional<KeyCombo> refused;
    QStringList calls;
};

// X keycodes (evdev + 8) of the keys used.
constexpr quint32 keycodeA = 38;
constexpr quint32 keycodeK = 45;
constexpr quint32 keycodeF5 = 71;

class RecordViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The recorder reads keys through the compiled US layout, whatever
        // display the test was started from.
        qunsetenv("DISPLAY");
        auto* layout = new QVBoxLayout(&window);
        other = new QLineEdit(&window);
        recorder = new RecordView(&window);
        layout->addWidget(other);
        layout->addWidget(recorder);
        recorder->setDelegate(&owner);
        recorder->didChange = [this](const std::optional<KeyCombo>& combo) { changes.push_back(combo); };
        window.resize(260, 80);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        other->setFocus();
    }

    // The owner goes before the window: a recorder still recording must not
    // tell it that recording ended as the window closes.
    void TearDown() override { recorder->setDelegate(nullptr); }

    void startRecording()
    {
        QTest::mouseClick(recorder, Qt::LeftButton, {}, QPoint(10, 10));
        owner.calls.clear();
    }

    // A key press as X delivers it; answers whether the recorder took it.
    bool press(int key, quint32 keycode, Qt::KeyboardModifiers modifiers, const QString& text = QString())
    {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, keycode, 0, 0, text);
        QApplication::sendEvent(recorder, &event);
        return event.isAccepted();
    }

    void modifierKey(QEvent::Type type, int key, Qt::KeyboardModifiers modifiers)
    {
        QKeyEvent event(type, key, modifiers, 0, 0, 0);
        QApplication::sendEvent(recorder, &event);
    }

    QWidget window;
    QLineEdit* other = nullptr;
    RecordView* recorder = nullptr;
    Owner owner;
    std::vector<std::optional<KeyCombo>> changes;
};

} // namespace

TEST_F(RecordViewTest, RecordsATakenCombinationAndEnds)
{
    QTest::mouseClick(recorder, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(owner.calls, QStringList{QStringLiteral("mayRecord")});
    EXPECT_TRUE(recorder->isRecording());
    owner.calls.clear();

    // A letter alone is no hotkey: it goes on through the normal key handling.
    EXPECT_FALSE(press(Qt::Key_A, keycodeA, Qt::NoModifier, QStringLiteral("a")));
    EXPECT_TRUE(recorder->isRecording());

    EXPECT_TRUE(press(Qt::Key_K, keycodeK, Qt::ControlModifier | Qt::ShiftModifier, QStringLiteral("K")));
    const auto ctrlShiftK = KeyCombo::withCarbonModifiers(Key::k, ModifierFlags::carbonCommand | ModifierFlags::carbonShift);
    EXPECT_EQ(recorder->keyCombo(), ctrlShiftK);
    EXPECT_EQ(owner.calls, (QStringList{QStringLiteral("accepts Shift+Ctrl K"), QStringLiteral("changed Shift+Ctrl K"),
                                        QStringLiteral("ended")}));
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], ctrlShiftK);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_FALSE(recorder->hasFocus());

    // F5 alone is taken; Caps Lock plays no part.
    startRecording();
    EXPECT_TRUE(press(Qt::Key_F5, keycodeF5, Qt::NoModifier));
    EXPECT_EQ(recorder->keyCombo()->modifiers(), 0x800000);
    // Without an X keycode (a synthesized event) Qt's key is read instead.
    startRecording();
    EXPECT_TRUE(press(Qt::Key_K, 0, Qt::AltModifier));
    EXPECT_EQ(recorder->keyCombo(), KeyCombo::withCarbonModifiers(Key::k, ModifierFlags::carbonOption));
}

TEST_F(RecordViewTest, RefusesKeepsRecordingAndClears)
{
    const auto ctrlK = KeyCombo::withCarbonModifiers(Key::k, ModifierFlags::carbonCommand);
    recorder->setKeyCombo(KeyCombo::withCarbonModifiers(Key::a, ModifierFlags::carbonCommand));
    EXPECT_TRUE(changes.empty()); // setting it tells nobody
    owner.refused = ctrlK;
    startRecording();
    EXPECT_FALSE(press(Qt::Key_K, keycodeK, Qt::ControlModifier));
    EXPECT_EQ(recorder->keyCombo(), KeyCombo::withCarbonModifiers(Key::a, ModifierFlags::carbonCommand));
    EXPECT_TRUE(recorder->isRecording());

    // Escape ends recording, the combination unchanged.
    QTest::keyClick(recorder, Qt::Key_Escape);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(recorder->keyCombo(), KeyCombo::withCarbonModifiers(Key::a, ModifierFlags::carbonCommand));
    EXPECT_TRUE(changes.empty());

    // The clear button clears and tells, whether recording or not.
    recorder->setClearButtonMode(RecordView::ClearButtonMode::whenRecorded);
    EXPECT_TRUE(recorder->clearButton()->isVisible());
    owner.calls.clear();
    QTest::mouseClick(recorder->clearButton(), Qt::LeftButton);
    EXPECT_FALSE(recorder->keyCombo());
    EXPECT_EQ(owner.calls, QStringList{QStringLiteral("changed none")});
    EXPECT_FALSE(recorder->clearButton()->isVisible());
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_FALSE(changes[0]);

    // Refused at the start: no recording.
    owner.allowRecording = false;
    owner.calls.clear();
    QTest::mouseClick(recorder, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(owner.calls, QStringList{QStringLiteral("mayRecord")});

    // Disabled: a click does nothing; disabling ends a recording.
    owner.allowRecording = true;
    startRecording();
    ASSERT_TRUE(recorder->isRecording());
    recorder->setEnabled(false);
    EXPECT_FALSE(recorder->isRecording());
    QTest::mouseClick(recorder, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(recorder->isRecording());
}

TEST_F(RecordViewTest, DoubleTappedModifier)
{
    startRecording();
    // Ctrl then Shift: no double tap.
    modifierKey(QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier);
    EXPECT_EQ(recorder->inputModifiers(), ModifierFlags::command);
    modifierKey(QEvent::KeyRelease, Qt::Key_Control, Qt::ControlModifier);
    modifierKey(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
    modifierKey(QEvent::KeyRelease, Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_FALSE(recorder->keyCombo());

    test::spinEventLoop(std::chrono::milliseconds(350));
    modifierKey(QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier);
    modifierKey(QEvent::KeyRelease, Qt::Key_Control, Qt::ControlModifier);
    modifierKey(QEvent::KeyPress, Qt::Key_Control, Qt::NoModifier);
    EXPECT_EQ(recorder->keyCombo(), KeyCombo::withDoubledCarbonModifiers(ModifierFlags::carbonCommand));
    EXPECT_EQ(recorder->keyCombo()->displayString(), QStringLiteral("Ctrl double tap"));
    EXPECT_FALSE(recorder->isRecording());

    const QString picture = test::makeTempDir(QStringLiteral("recorder")) + QStringLiteral("/recorder.png");
    recorder->resize(300, 34);
    ASSERT_TRUE(recorder->grab().save(picture));
    if (const QByteArray keep = qgetenv("VANTEL_RECORDER_PNG"); !keep.isEmpty()) {
        QFile::remove(QString::fromLocal8Bit(keep));
        QFile::copy(picture, QString::fromLocal8Bit(keep));
    }
}

int redPixels(const QImage& image)
{
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            red += QColor(image.pixel(x, y)).red() > 160 && QColor(image.pixel(x, y)).green() < 110 ? 1 : 0;
    return red;
}

TEST_F(RecordViewTest, ARefusalSaysWhyThenShowsTheOldCombinationUnlit)
{
    const auto old = KeyCombo::withCarbonModifiers(Key::a, ModifierFlags::carbonCommand);
    recorder->setKeyCombo(old);
    startRecording();
    modifierKey(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
    recorder->showRefusal(QStringLiteral("Taken by the tag \u201CGames\u201D"));
    EXPECT_EQ(recorder->inputModifiers(), 0u) << "the refused keys still lit";
    recorder->resize(300, 30);
    const QImage refused = recorder->grab().toImage();
    refused.save(test::outputFolder() + QStringLiteral("/recorder-refusal.png"));
    EXPECT_GT(redPixels(refused), 15) << "the reason is not drawn";
    EXPECT_TRUE(test::waitUntil([&] { return recorder->refusal().isEmpty(); },
                                std::chrono::milliseconds(RecordView::refusalMilliseconds + 1500)));
    EXPECT_EQ(redPixels(recorder->grab().toImage()), 0);
    EXPECT_EQ(recorder->keyCombo(), old);
}

TEST_F(RecordViewTest, ADisabledRecorderIsGreyedAndOffersNoClearWhileEmpty)
{
    EXPECT_NE(qobject_cast<ClearButton*>(recorder->clearButton()), nullptr) << "not the shared cut-out cross";
    recorder->setBackgroundColor(Qt::white);
    EXPECT_TRUE(recorder->clearButton()->isVisibleTo(recorder));
    recorder->setEnabled(false);
    EXPECT_FALSE(recorder->clearButton()->isVisibleTo(recorder)) << "nothing to clear";
    const QImage disabled = recorder->grab().toImage();
    disabled.save(test::outputFolder() + QStringLiteral("/recorder-disabled.png"));
    EXPECT_EQ(QColor(disabled.pixel(150, 2)), recorder->palette().color(QPalette::Disabled, QPalette::Window));
    recorder->setKeyCombo(KeyCombo::withCarbonModifiers(Key::a, ModifierFlags::carbonCommand));
    EXPECT_TRUE(recorder->clearButton()->isVisibleTo(recorder));
}

// A desktop where another program holds Ctrl+Alt+P.
class OneKeyHeldElsewhere : public test::AcceptingHotKeys {
public:
    std::optional<bool> isHeldElsewhere(int macKeyCode, std::uint32_t) override
    {
        return macKeyCode == KeyInfo::QWERTYKeyCode(Key::p);
    }
};

TEST_F(RecordViewTest, TheRefusalNamesWhatHoldsTheCombination)
{
    OneKeyHeldElsewhere desktop;
    HotKeyCenter center(desktop);
    const auto combo = [](Key key) { return *KeyCombo::withCarbonModifiers(key, ModifierFlags::carbonCommand); };
    const std::tuple<Key, HotKeyType, const char*> ours[] = {
        {Key::e, HotKeyType::userDefinedKey, "Taken by the entry \u201CLedger\u201D"},
        {Key::t, HotKeyType::tagKey, "Taken by the tag \u201CLedger\u201D"},
        {Key::c, HotKeyType::categoryKey, "Taken by the category \u201CLedger\u201D"}};
    for (const auto& [key, type, said] : ours) {
        auto hotKey = HotKey::create(QString::number(int(type)), combo(key), HotKey::ActionQueue::main, {});
        hotKey->setHotkeyType(type);
        hotKey->setOwnerName(QStringLiteral("Ledger"));
        ASSERT_TRUE(center.registerHotKey(hotKey));
        EXPECT_FALSE(KeyComboHolder::acceptIfFree(*recorder, &center, combo(key)));
        EXPECT_EQ(recorder->refusal(), QString::fromUtf8(said));
    }
    EXPECT_FALSE(KeyComboHolder::acceptIfFree(*recorder, &center, combo(Key::p)));
    EXPECT_EQ(recorder->refusal(), QStringLiteral("Taken by another program"));
    EXPECT_TRUE(KeyComboHolder::acceptIfFree(*recorder, &center, combo(Key::q)));
}

// A desktop that never reports a double tap of a modifier, as under Wayland.
class NoDoubleTaps : public test::AcceptingHotKeys {
public:
    bool seesDoubleTaps() const override { return false; }
};

TEST_F(RecordViewTest, ADoubleTapTheDesktopNeverReportsIsRefused)
{
    const KeyCombo doubleTap = *KeyCombo::withDoubledCarbonModifiers(ModifierFlags::carbonOption);
    NoDoubleTaps wayland;
    HotKeyCenter blind(wayland);
    EXPECT_FALSE(KeyComboHolder::acceptIfFree(*recorder, &blind, doubleTap));
    EXPECT_EQ(recorder->refusal(), QStringLiteral("Double taps are not seen on this desktop"));
    EXPECT_TRUE(KeyComboHolder::acceptIfFree(*recorder, &blind,
                                             *KeyCombo::withCarbonModifiers(Key::q, ModifierFlags::carbonCommand)));
    test::AcceptingHotKeys x11;
    HotKeyCenter seeing(x11);
    EXPECT_TRUE(KeyComboHolder::acceptIfFree(*recorder, &seeing, doubleTap));
}

TEST(GlobalHotKeysWithoutXServer, RegistrationFailsAndSaysWhy)
{
    qunsetenv("DISPLAY");
    EXPECT_FALSE(platform::GlobalHotKeys::shared().isSupported());
    EXPECT_FALSE(platform::GlobalHotKeys::shared().unsupportedReason().isEmpty());
    auto hotKey = HotKey::create(QStringLiteral("k"), *KeyCombo::withCarbonModifiers(Key::k, 0x900),
                                 HotKey::ActionQueue::main, {});
    EXPECT_FALSE(HotKeyCenter::shared().registerHotKey(hotKey));
    EXPECT_TRUE(HotKeyCenter::shared().hotKeys().empty());
    // Doubled modifiers need no grab, but nothing reports the modifier keys either.
    EXPECT_EQ(KeyCombo::withCarbonModifiers(Key::z, 0x100)->keyCode(), 6);
}
