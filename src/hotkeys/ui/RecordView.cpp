#include "hotkeys/ui/RecordView.h"

#include "hotkeys/HotKeyCenter.h"
#include "hotkeys/Keymap.h"
#include "hotkeys/ui/ClearButton.h"
#include "hotkeys/ui/RecordViewDelegate.h"
#include "model/LocalizedStrings.h"
#include "platform/KeyCodes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include <cmath>

namespace vantel {

namespace {

// In the order drawn: shift, control, option, command, by the names of the
// keys they are on here.
struct ModifierSlot {
    CocoaModifierFlags flag;
    const char* name;
};
constexpr ModifierSlot validModifiers[] = {
    {ModifierFlags::shift, localizable("Shift")},
    {ModifierFlags::control, localizable("Super")},
    {ModifierFlags::option, localizable("Alt")},
    {ModifierFlags::command, localizable("Ctrl")},
};
// The reason of a refusal: a red that reads on light and dark fields.
const QColor refusalColor(0xd8, 0x3b, 0x3b);
// A name is wider than a glyph: each slot is this many glyph widths.
constexpr qreal slotWidthFactor = 2.0;
// And the key's text is set smaller, to leave it the room the names took.
constexpr qreal keyTextFactor = 0.7;

CocoaModifierFlags cocoaFlags(Qt::KeyboardModifiers modifiers)
{
    CocoaModifierFlags flags = 0;
    if (modifiers & Qt::ControlModifier)
        flags |= ModifierFlags::command;
    if (modifiers & Qt::AltModifier)
        flags |= ModifierFlags::option;
    if (modifiers & Qt::MetaModifier)
        flags |= ModifierFlags::control;
    if (modifiers & Qt::ShiftModifier)
        flags |= ModifierFlags::shift;
    return flags;
}

// The flag a modifier key itself stands for; 0 for other keys.
CocoaModifierFlags modifierKeyFlag(int key)
{
    switch (key) {
    case Qt::Key_Control:
        return ModifierFlags::command;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        return ModifierFlags::option;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return ModifierFlags::control;
    case Qt::Key_Shift:
        return ModifierFlags::shift;
    case Qt::Key_CapsLock:
        return ModifierFlags::capsLock;
    default:
        return 0;
    }
}

// The Mac virtual key code of the key pressed: from the X keycode when the
// event carries one, else from Qt's key for events made without one.
std::optional<int> macKeyCode(const QKeyEvent* event)
{
    if (event->nativeScanCode() > platform::KeyCodes::xkbKeycodeOffset)
        return platform::KeyCodes::macKeyCode(static_cast<int>(event->nativeScanCode())
                                              - platform::KeyCodes::xkbKeycodeOffset);
    const int key = event->key();
    if (key >= Qt::Key_F1 && key <= Qt::Key_F20)
        return KeyInfo::QWERTYKeyCode(*KeyInfo::fromRawValue(QStringLiteral("f%1").arg(key - Qt::Key_F1 + 1)));
    static const std::pair<int, Key> named[] = {
        {Qt::Key_Return, Key::return_},    {Qt::Key_Enter, Key::keypadEnter}, {Qt::Key_Tab, Key::tab},
        {Qt::Key_Space, Key::space},       {Qt::Key_Backspace, Key::delete_}, {Qt::Key_Escape, Key::escape},
        {Qt::Key_Delete, Key::forwardDelete}, {Qt::Key_Home, Key::home},      {Qt::Key_End, Key::end},
        {Qt::Key_PageUp, Key::pageUp},     {Qt::Key_PageDown, Key::pageDown}, {Qt::Key_Left, Key::leftArrow},
        {Qt::Key_Right, Key::rightArrow},  {Qt::Key_Down, Key::downArrow},    {Qt::Key_Up, Key::upArrow},
        {Qt::Key_Insert, Key::help},
    };
    for (const auto& [qtKey, ourKey] : named)
        if (qtKey == key)
            return KeyInfo::QWERTYKeyCode(ourKey);
    if (key >= Qt::Key_Space && key <= Qt::Key_AsciiTilde)
        if (const auto found = KeyInfo::fromCharacter(QString(QChar(key))))
            return KeyInfo::QWERTYKeyCode(*found);
    return std::nullopt;
}

} // namespace

RecordView::RecordView(QWidget* parent)
    : QWidget(parent)
    , backgroundColor_(palette().color(QPalette::Base))
    , tintColor_(palette().color(QPalette::Highlight))
    , borderColor_(palette().color(QPalette::Mid))
    , clearButton_(new ClearButton(this))
    , modifierEventHandler_(std::make_unique<ModifierEventHandler>(std::chrono::milliseconds(300)))
{
    // Tab focus only: a click focuses it in mousePressEvent, once, and a
    // click on the clear button inside it leaves the focus alone.
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setAccessibleName(localized("Shortcut recorder"));
    // A click on the cross leaves the focus, and so the recording, alone.
    clearButton_->setFocusPolicy(Qt::NoFocus);
    connect(clearButton_, &QAbstractButton::clicked, this, &RecordView::clearAndEndRecording);
    refusalTimer_ = new QTimer(this);
    refusalTimer_->setSingleShot(true);
    refusalTimer_->setInterval(refusalMilliseconds);
    connect(refusalTimer_, &QTimer::timeout, this, [this] {
        refusal_.clear();
        setToolTip(QString());
        update();
    });
    QPointer<RecordView> self(this);
    modifierEventHandler_->doubleTapped = [self](CocoaModifierFlags flags) {
        if (self)
            self->handleDoubleTap(flags);
    };
    layoutClearButton();
}

RecordView::~RecordView() = default;

void RecordView::setBackgroundColor(const QColor& color)
{
    backgroundColor_ = color;
    update();
}

void RecordView::setTintColor(const QColor& color)
{
    tintColor_ = color;
    update();
}

void RecordView::setBorderColor(const QColor& color)
{
    borderColor_ = color;
    update();
}

void RecordView::setBorderWidth(qreal width)
{
    borderWidth_ = width;
    update();
}

void RecordView::setCornerRadius(qreal radius)
{
    cornerRadius_ = radius;
    update();
}

void RecordView::setClearButtonMode(ClearButtonMode mode)
{
    clearButtonMode_ = mode;
    layoutClearButton();
    update();
}

void RecordView::showRefusal(const QString& message)
{
    refusal_ = message;
    // The keys of the refused combination are no longer shown as held.
    inputModifiers_ = 0;
    setToolTip(message);
    refusalTimer_->start();
    update();
}

void RecordView::setKeyCombo(const std::optional<KeyCombo>& keyCombo)
{
    keyCombo_ = keyCombo;
    layoutClearButton();
    update();
}

QSize RecordView::sizeHint() const
{
    return {220, 26};
}

bool RecordView::isFocused() const
{
    return window() && hasFocus() && isRecording_;
}

void RecordView::endRecording()
{
    if (hasFocus() || isRecording_) {
        if (hasFocus())
            clearFocus();
        else
            focusOutEvent(nullptr);
    }
}

void RecordView::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (isEnabled() && !isFocused())
        setFocus(Qt::MouseFocusReason);
}

void RecordView::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    if (!isEnabled() || (delegate_ && !delegate_->mayRecord(*this))) {
        if (isEnabled())
            QApplication::beep();
        refusingFocus_ = true;
        clearFocus();
        refusingFocus_ = false;
        return;
    }
    isRecording_ = true;
    if (center_ && !keyRelease_)
        keyRelease_ = center_->releaseKeys([this](const HotKeyPtr& pressed) {
            if (isFocused())
                offer(pressed->keyCombo());
        });
    update();
}

void RecordView::focusOutEvent(QFocusEvent* event)
{
    if (event)
        QWidget::focusOutEvent(event);
    if (refusingFocus_)
        return;
    inputModifiers_ = 0;
    isRecording_ = false;
    keyRelease_.reset();
    update();
    if (delegate_)
        delegate_->recordingEnded(*this);
}

void RecordView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled())
            endRecording();
        layoutClearButton();
        update();
    }
}

bool RecordView::event(QEvent* event)
{
    // Ask for every combination while recording, before shortcuts take it.
    if (event->type() == QEvent::ShortcutOverride && isFocused()) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Escape && !modifierKeyFlag(key->key())) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

void RecordView::keyPressEvent(QKeyEvent* event)
{
    if (modifierKeyFlag(event->key())) {
        if (flagsChanged(event))
            return;
    } else if (event->key() == Qt::Key_Escape && !(cocoaFlags(event->modifiers()))) {
        // The combination stays as it is.
        endRecording();
        event->accept();
        return;
    } else if (recordKeyEvent(event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void RecordView::keyReleaseEvent(QKeyEvent* event)
{
    if (modifierKeyFlag(event->key()) && flagsChanged(event))
        return;
    QWidget::keyReleaseEvent(event);
}

bool RecordView::flagsChanged(QKeyEvent* event)
{
    // Qt's modifier state on a modifier key's own event may or may not count
    // that key yet: set or clear its flag explicitly.
    CocoaModifierFlags flags = cocoaFlags(event->modifiers()) & ~ModifierFlags::capsLock;
    const CocoaModifierFlags own = modifierKeyFlag(event->key());
    if (event->type() == QEvent::KeyPress)
        flags |= own;
    else
        flags &= ~own;
    if (isEnabled() && isFocused()) {
        // Each key event reaches the recorder once, so no timestamp test is
        // needed to count it once.
        modifierEventHandler_->handleModifiersEvent(flags);
        inputModifiers_ = flags;
    } else {
        inputModifiers_ = 0;
    }
    update();
    return isFocused();
}

bool RecordView::recordKeyEvent(QKeyEvent* event)
{
    if (!isEnabled() || !isFocused())
        return false;
    const auto code = macKeyCode(event);
    if (!code)
        return false;
    Keymap& keymap = Keymap::shared();
    std::optional<Key> key = keymap.layout().currentKeyCode(keymap.layout().currentKeyboardLayoutInputSource(), *code);
    if (!key)
        key = KeyInfo::fromQWERTYKeyCode(*code);
    if (!key)
        return false;
    const qint64 carbon = ModifierFlags::carbonModifiers(cocoaFlags(event->modifiers()), false);
    std::optional<KeyCombo> combo;
    if (carbon == 0) {
        if (!KeyInfo::isFunctionKey(*key))
            return false;
        combo = KeyCombo::withCocoaModifiers(*key, 0);
    } else {
        combo = KeyCombo::withCocoaModifiers(*key, ModifierFlags::fromCarbonModifiers(carbon));
    }
    return combo && offer(*combo);
}

void RecordView::handleDoubleTap(CocoaModifierFlags flags)
{
    if (!isEnabled() || !isFocused())
        return;
    if (const auto combo = KeyCombo::withDoubledCocoaModifiers(flags))
        offer(*combo);
}

bool RecordView::offer(const KeyCombo& keyCombo)
{
    if (delegate_ && !delegate_->acceptsKeyCombo(*this, keyCombo))
        return false;
    take(keyCombo);
    return true;
}

void RecordView::take(const KeyCombo& keyCombo)
{
    refusalTimer_->stop();
    refusal_.clear();
    setToolTip(QString());
    setKeyCombo(keyCombo);
    if (didChange)
        didChange(keyCombo);
    if (delegate_)
        delegate_->keyComboChanged(*this, keyCombo);
    endRecording();
}

void RecordView::clearAndEndRecording()
{
    keyCombo_.reset();
    inputModifiers_ = 0;
    layoutClearButton();
    update();
    if (didChange)
        didChange(std::nullopt);
    if (delegate_)
        delegate_->keyComboChanged(*this, std::nullopt);
    endRecording();
}

void RecordView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    layoutClearButton();
}

void RecordView::layoutClearButton()
{
    const qreal h = height();
    const qreal u = h / 1.7;
    const qreal p = (h - u) / 2.6 * 1.5;
    const qreal side = u / 1.3;
    clearButton_->setGeometry(QRectF(width() - side - p, (h - side) / 2, side, side).toRect());
    // Nothing to clear in a disabled, empty recorder.
    const bool shown = (clearButtonMode_ == ClearButtonMode::always && (isEnabled() || keyCombo_.has_value()))
        || (clearButtonMode_ == ClearButtonMode::whenRecorded && keyCombo_.has_value());
    clearButton_->setVisible(shown);
}

void RecordView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal h = height();
    const qreal w = width();
    const qreal u = h / 1.7;
    const qreal p = (h - u) / 2.6 * 1.5;
    const qreal top = (h - u) / 2.6;

    const QRectF frame = QRectF(rect()).adjusted(borderWidth_ / 2, borderWidth_ / 2, -borderWidth_ / 2, -borderWidth_ / 2);
    // Disabled: the window's colour behind it and a fainter border, as the
    // style draws a disabled field.
    QColor background = backgroundColor_;
    QColor border = borderColor_;
    if (!isEnabled()) {
        background = palette().color(QPalette::Disabled, QPalette::Window);
        border.setAlphaF(border.alphaF() * 0.45f);
    }
    painter.setPen(borderWidth_ > 0 ? QPen(border, borderWidth_) : QPen(Qt::NoPen));
    painter.setBrush(background);
    painter.drawRoundedRect(frame, cornerRadius_, cornerRadius_);

    const QColor disabled = palette().color(QPalette::Disabled, QPalette::Text);
    if (!refusal_.isEmpty()) {
        QFont font = this->font();
        font.setPixelSize(std::max(1, static_cast<int>(std::floor(u * keyTextFactor))));
        painter.setFont(font);
        painter.setPen(refusalColor);
        const qreal right = clearButton_->isVisibleTo(this) ? clearButton_->x() - p : w - p;
        const QRectF text(p, top, std::max(0.0, right - p), h - 2 * top);
        painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                         painter.fontMetrics().elidedText(refusal_, Qt::ElideRight, static_cast<int>(text.width())));
        return;
    }
    const CocoaModifierFlags shown = keyCombo_ ? keyCombo_->cocoaModifiers() : inputModifiers_;
    QFont font = this->font();
    font.setPixelSize(std::max(1, static_cast<int>(std::floor(u * 0.55))));
    painter.setFont(font);
    const qreal slot = u * slotWidthFactor;
    for (int i = 0; i < 4; ++i) {
        const QRectF box(slot * i + p, top, slot, h - 2 * top);
        painter.setPen(!isEnabled() ? disabled : (shown & validModifiers[i].flag) ? tintColor_ : QColor(Qt::lightGray));
        const QString name = painter.fontMetrics().elidedText(localized(validModifiers[i].name), Qt::ElideRight,
                                                               static_cast<int>(slot));
        painter.drawText(box, Qt::AlignCenter, name);
    }

    if (keyCombo_) {
        const qreal x = 4 * slot + 2 * p;
        const qreal width = w - x - 2 * p - u / 1.3;
        if (width > 0) {
            QFont keyFont = this->font();
            keyFont.setPixelSize(std::max(1, static_cast<int>(std::floor(u * keyTextFactor))));
            painter.setFont(keyFont);
            painter.setPen(isEnabled() ? tintColor_ : disabled);
            const QString text = keyCombo_->doubledModifiers() ? localized("double tap")
                                                                 : keyCombo_->keyCharacters().toUpper();
            painter.drawText(QRectF(x, top, width, h - 2 * top), Qt::AlignLeft | Qt::AlignVCenter,
                             painter.fontMetrics().elidedText(text, Qt::ElideRight, static_cast<int>(width)));
        }
    }

    if (isEnabled() && isFocused()) {
        QPen ring(palette().color(QPalette::Highlight), 2);
        painter.setPen(ring);
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), cornerRadius_, cornerRadius_);
    }
}

} // namespace vantel
