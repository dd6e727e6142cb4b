#pragma once

#include "hotkeys/KeyCombo.h"
#include "hotkeys/ModifierEventHandler.h"

#include <QColor>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QAbstractButton;
class QTimer;

namespace vantel {

class HotKeyCenter;
class RecordViewDelegate;

// The control in which a global hotkey is recorded. Taking the focus (a
// click, the keyboard, or the owner) starts recording when the delegate
// allows it; the next key combination, or one modifier tapped twice, becomes
// its combination and recording ends. Escape ends recording unchanged; the
// clear button clears. It shows the four modifiers (Shift, Super, Alt, Ctrl:
// the keys that shift, control, option and command are on here), the active
// ones in the tint colour, and the key's text in the selected layout.
//
// A combination needs a modifier unless it is F1 to F20; the delegate may
// refuse one, which then leaves recording on and the key event goes on
// through the normal key handling; a refusal's reason (showRefusal) stands
// in the recorder for a moment before its combination shows again. Setting
// keyCombo tells nobody. A disabled recorder is drawn greyed and offers no
// clear button while it holds no combination. While it records, the hotkey
// registry it is given lets go of Vantel's own keys, so that a combination
// one of them holds reaches it (and its owner can say who holds it); they are
// taken again when recording ends, the window closes or the recorder goes.
// Main thread only.
class RecordView : public QWidget {
    Q_OBJECT
public:
    enum class ClearButtonMode { never, always, whenRecorded };

    explicit RecordView(QWidget* parent = nullptr);
    ~RecordView() override;

    QColor backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(const QColor& color);
    QColor tintColor() const { return tintColor_; }
    void setTintColor(const QColor& color);
    QColor borderColor() const { return borderColor_; }
    void setBorderColor(const QColor& color);
    qreal borderWidth() const { return borderWidth_; }
    void setBorderWidth(qreal width);
    qreal cornerRadius() const { return cornerRadius_; }
    void setCornerRadius(qreal radius);
    ClearButtonMode clearButtonMode() const { return clearButtonMode_; }
    void setClearButtonMode(ClearButtonMode mode);

    // Not owned: the owner clears it before it goes.
    RecordViewDelegate* delegate() const { return delegate_; }
    void setDelegate(RecordViewDelegate* delegate) { delegate_ = delegate; }
    // Not owned; none leaves the keys with the registry.
    void setHotKeyCenter(HotKeyCenter* center) { center_ = center; }
    bool isReleasingKeys() const { return keyRelease_ != nullptr; }
    std::function<void(const std::optional<KeyCombo>&)> didChange;

    bool isRecording() const { return isRecording_; }
    const std::optional<KeyCombo>& keyCombo() const { return keyCombo_; }
    void setKeyCombo(const std::optional<KeyCombo>& keyCombo);
    CocoaModifierFlags inputModifiers() const { return inputModifiers_; }
    QAbstractButton* clearButton() const { return clearButton_; }

    // The clear button's action; neither enablement nor mayRecord is asked.
    void clearAndEndRecording();

    // Says for refusalMilliseconds why the last combination was refused, in
    // place of the modifiers and the key; then the combination shows again.
    void showRefusal(const QString& message);
    const QString& refusal() const { return refusal_; }
    static constexpr int refusalMilliseconds = 2500;

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool isFocused() const;
    void endRecording();
    bool recordKeyEvent(QKeyEvent* event);
    bool flagsChanged(QKeyEvent* event);
    void handleDoubleTap(CocoaModifierFlags flags);
    // Takes the combination unless the delegate refuses it.
    bool offer(const KeyCombo& keyCombo);
    void take(const KeyCombo& keyCombo);
    void layoutClearButton();

    QColor backgroundColor_;
    QColor tintColor_;
    QColor borderColor_;
    qreal borderWidth_ = 0;
    qreal cornerRadius_ = 0;
    ClearButtonMode clearButtonMode_ = ClearButtonMode::always;
    RecordViewDelegate* delegate_ = nullptr;
    HotKeyCenter* center_ = nullptr;
    // Held while recording (HotKeyCenter::releaseKeys).
    std::shared_ptr<void> keyRelease_;
    bool isRecording_ = false;
    std::optional<KeyCombo> keyCombo_;
    QAbstractButton* clearButton_ = nullptr;
    std::unique_ptr<ModifierEventHandler> modifierEventHandler_;
    CocoaModifierFlags inputModifiers_ = 0;
    QString refusal_;
    QTimer* refusalTimer_ = nullptr;
    // Set when focus was refused, so that the focus-out it causes tells nobody.
    bool refusingFocus_ = false;
};

} // namespace vantel
