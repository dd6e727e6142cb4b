#include "popups/CustomTokenField.h"

#include "datastore/TagManager.h"
#include "model/LocalizedStrings.h"
#include "model/TagNames.h"
#include "model/iconTag.h"
#include "platform/Log.h"
#include "popups/CharacterLimit.h"
#include "popups/EditKeyEquivalents.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QCompleter>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSet>
#include <QStringListModel>

#include <algorithm>

namespace vantel {

// The typing line of the field: it hands its keys and focus changes to the
// field first. The completer calls event() directly, past any event filter,
// so these are overrides.
class TokenEditor : public QLineEdit {
public:
    explicit TokenEditor(CustomTokenField& field)
        : QLineEdit(&field)
        , field_(field)
    {
        setFrame(false);
        setAttribute(Qt::WA_MacShowFocusRect, false);
        QPalette palette = this->palette();
        palette.setBrush(QPalette::Base, Qt::transparent);
        setPalette(palette);
    }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride && editActionForKeyEvent(*static_cast<QKeyEvent*>(event))) {
            event->accept();
            return true;
        }
        return QLineEdit::event(event);
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        if (field_.editorKeyPress(event)) {
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
    void focusInEvent(QFocusEvent* event) override
    {
        QLineEdit::focusInEvent(event);
        field_.editorFocusIn(event->reason());
    }
    void focusOutEvent(QFocusEvent* event) override
    {
        QLineEdit::focusOutEvent(event);
        field_.editorFocusOut(event->reason());
    }

private:
    CustomTokenField& field_;
};

namespace {

constexpr int fieldMargin = 3;
constexpr int chipSpacing = 4;
constexpr int chipPadding = 7;
constexpr int editorMinimumWidth = 60;

} // namespace

CustomTokenField::CustomTokenField(QWidget* parent)
    : QWidget(parent)
    , editor_(new TokenEditor(*this))
    , completer_(new QCompleter(this))
    , completionModel_(new QStringListModel(this))
{
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(editor_);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAccessibleName(localized("Tags"));

    completer_->setModel(completionModel_);
    completer_->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    completer_->setCaseSensitivity(Qt::CaseInsensitive);
    completer_->setWidget(editor_);
    connect(completer_, qOverload<const QString&>(&QCompleter::activated), this, [this](const QString& text) {
        editor_->clear();
        commitToken(text);
    });
    connect(editor_, &QLineEdit::textEdited, this, [this](const QString& text) { editorTextEdited(text); });
    relayout();
}

CustomTokenField::~CustomTokenField() = default;

QLineEdit* CustomTokenField::editor() const
{
    return editor_;
}

void CustomTokenField::setObjectValue(const QStringList& tokens)
{
    tokens_ = tokens;
    selected_ = QList<bool>(tokens_.size(), false);
    editor_->clear();
    hideCompletions();
    relayout();
    emit tokensChanged();
}

// ---- Adding tokens ----

QStringList CustomTokenField::shortenTokens(const QStringList& tokens)
{
    QStringList result;
    result.reserve(tokens.size());
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        const QString& token = tokens.at(i);
        if (characterCount(token) <= maximumTokenLength) {
            result.append(token);
            continue;
        }
        VLOG(platform::Log::defaultHandle(), platform::LogType::Error,
             "Token is too long and will be shortened: %{public}@", token);
        const QString shortened = leftCharacters(token, maximumTokenLength);
        // The list as it stands: what was examined already, then what is still to come.
        const bool taken = result.contains(shortened) || tokens.mid(i + 1).contains(shortened);
        if (taken) {
            VLOG(platform::Log::defaultHandle(), platform::LogType::Error,
                 "There is already a token with the shortened name. The newly shortened token will be discarded!");
            continue;
        }
        result.append(shortened);
        VLOG(platform::Log::defaultHandle(), platform::LogType::Default, "Token renamed successfully");
    }
    return result;
}

QStringList CustomTokenField::shouldAddObjects(const QVariantList& objects, qsizetype index)
{
    Q_UNUSED(index)
    QStringList tokens;
    tokens.reserve(objects.size());
    for (const QVariant& object : objects) {
        if (object.typeId() != QMetaType::QString)
            return {};
        tokens.append(object.toString());
    }

    QStringList kept;
    // Lower-cased names held or kept: a name comes in once whatever its case,
    // also when one batch brings it twice.
    QSet<QString> held;
    for (const QString& token : std::as_const(currentTokens_))
        held.insert(normalizeTagName(token).toLower());
    for (const QString& token : shortenTokens(tokens)) {
        const QString name = normalizeTagName(token);
        const QString key = name.toLower();
        if (name.isEmpty() || held.contains(key))
            continue;
        held.insert(key);
        kept.append(name);
    }

    if (internalTagManager_) {
        const QList<iconTagPtr> tags = internalTagManager_->allAvailableTags()->snapshot();
        QSet<QString> known;
        for (const iconTagPtr& tag : tags) {
            if (tag)
                known.insert(tag->tagName().toLower());
        }
        for (const QString& name : std::as_const(kept)) {
            if (known.contains(name.toLower()))
                continue;
            auto tag = iconTag::create(name, internalTagManager_->defaultTag);
            tag->setTagUsed(true);
            internalTagManager_->allAvailableTags()->append(tag);
            if (isEditing_)
                createdTags_.append(tag);
            known.insert(name.toLower());
        }
    }

    currentTokens_.append(kept);
    return kept;
}

CustomTokenField::Completions CustomTokenField::completionsForSubstring(const QString& substring) const
{
    Completions completions;
    if (!internalTagManager_)
        return completions;
    const QString needle = substring.toLower();
    const QList<iconTagPtr> tags = internalTagManager_->allAvailableTags()->snapshot();
    for (const iconTagPtr& tag : tags) {
        if (!tag)
            continue;
        const QString name = tag->tagName();
        if (name.toLower().contains(needle))
            completions.names.append(name);
    }
    std::sort(completions.names.begin(), completions.names.end());
    for (qsizetype i = 0; i < completions.names.size(); ++i) {
        if (completions.names.at(i).startsWith(substring, Qt::CaseSensitive)) {
            completions.indexOfSelectedItem = int(i);
            break;
        }
    }
    return completions;
}

void CustomTokenField::commitToken(const QString& text)
{
    hideCompletions();
    const QStringList added = shouldAddObjects({QVariant(text)}, tokens_.size());
    if (added.isEmpty())
        return;
    tokens_.append(added);
    selected_.resize(tokens_.size());
    relayout();
    emit tokensChanged();
}

bool CustomTokenField::commitTypedText()
{
    const QString text = editor_->text();
    if (text.trimmed().isEmpty()) {
        editor_->clear();
        return false;
    }
    editor_->clear();
    hideCompletions();
    QVariantList objects;
    for (const QString& part : text.split(QLatin1Char(','))) {
        if (!part.trimmed().isEmpty())
            objects.append(part);
    }
    const QStringList added = shouldAddObjects(objects, tokens_.size());
    if (!added.isEmpty()) {
        tokens_.append(added);
        selected_.resize(tokens_.size());
        relayout();
        emit tokensChanged();
    }
    return true;
}

void CustomTokenField::removeSelectedTokens()
{
    bool removed = false;
    for (qsizetype i = tokens_.size() - 1; i >= 0; --i) {
        if (selected_.value(i)) {
            tokens_.removeAt(i);
            selected_.removeAt(i);
            removed = true;
        }
    }
    if (!removed)
        return;
    // A deletion: the field's tokens are the current ones now.
    if (tokens_.size() < currentTokens_.size())
        currentTokens_ = tokens_;
    relayout();
    emit tokensChanged();
}

// ---- Selection ----

QList<qsizetype> CustomTokenField::selectedTokenIndexes() const
{
    QList<qsizetype> indexes;
    for (qsizetype i = 0; i < selected_.size(); ++i) {
        if (selected_.at(i))
            indexes.append(i);
    }
    return indexes;
}

void CustomTokenField::selectToken(qsizetype index, bool extend)
{
    if (index < 0 || index >= tokens_.size())
        return;
    if (!extend)
        selected_.fill(false);
    selected_[index] = true;
    editor_->deselect();
    update();
}

void CustomTokenField::clearTokenSelection()
{
    if (!selected_.contains(true))
        return;
    selected_.fill(false);
    update();
}

QString CustomTokenField::selectedTokensText() const
{
    QStringList names;
    for (qsizetype i : selectedTokenIndexes())
        names.append(tokens_.at(i));
    return names.join(QStringLiteral(", "));
}

// ---- Editing ----

void CustomTokenField::beginEditing()
{
    isEditing_ = true;
    currentTokens_ = tokens_;
    tokensBeforeEditing_ = tokens_;
    createdTags_.clear();
    // The typing shows in the text colour again.
    QPalette palette = editor_->palette();
    palette.setColor(QPalette::Text, this->palette().color(QPalette::Text));
    editor_->setPalette(palette);
    if (didBeginEditingHandler)
        didBeginEditingHandler();
}

void CustomTokenField::endEditing()
{
    if (!isEditing_ || endingEditing_)
        return;
    endingEditing_ = true;
    commitTypedText();
    clearTokenSelection();
    isEditing_ = false;
    createdTags_.clear();
    if (didEndEditingHandler)
        didEndEditingHandler();
    if (didEndEditingAndValueWasChangedHandler && tokensBeforeEditing_) {
        const QSet<QString> before(tokensBeforeEditing_->cbegin(), tokensBeforeEditing_->cend());
        const QSet<QString> now(currentTokens_.cbegin(), currentTokens_.cend());
        if (before != now)
            didEndEditingAndValueWasChangedHandler();
    }
    endingEditing_ = false;
}

void CustomTokenField::cancelEditing()
{
    if (!isEditing_ || endingEditing_)
        return;
    isEditing_ = false;
    if (internalTagManager_)
        for (const iconTagPtr& tag : std::as_const(createdTags_))
            internalTagManager_->allAvailableTags()->remove(tag);
    createdTags_.clear();
    const QStringList before = tokensBeforeEditing_.value_or(QStringList());
    currentTokens_ = before;
    setObjectValue(before);
}

void CustomTokenField::editorFocusIn(Qt::FocusReason reason)
{
    Q_UNUSED(reason)
    if (!isEditing_)
        beginEditing();
    update();
}

void CustomTokenField::editorFocusOut(Qt::FocusReason reason)
{
    update();
    // The completion list and another window taking the activation leave the
    // editing in place.
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
        return;
    clearTokenSelection();
    endEditing();
}

void CustomTokenField::editorTextEdited(const QString& text)
{
    if (!isEditing_)
        beginEditing();
    clearTokenSelection();
    const qsizetype comma = text.lastIndexOf(QLatin1Char(','));
    if (comma >= 0) {
        // Everything up to the last comma becomes tokens; the rest is typed on.
        const QString rest = text.mid(comma + 1);
        editor_->setText(text.left(comma));
        commitTypedText();
        editor_->setText(rest.trimmed().isEmpty() ? QString() : rest);
    }
    updateCompletions();
}

bool CustomTokenField::editorKeyPress(QKeyEvent* event)
{
    const bool hasSelection = selected_.contains(true);
    if (const auto action = editActionForKeyEvent(*event)) {
        switch (*action) {
        case EditAction::selectAll:
            selected_.fill(true);
            editor_->selectAll();
            update();
            return true;
        case EditAction::copy:
        case EditAction::cut:
            if (hasSelection && editor_->selectedText().isEmpty()) {
                QGuiApplication::clipboard()->setText(selectedTokensText());
                if (*action == EditAction::cut)
                    removeSelectedTokens();
                return true;
            }
            break;
        case EditAction::paste:
            clearTokenSelection();
            break;
        default:
            break;
        }
        return performEditAction(*editor_, *action);
    }

    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    const bool atStart = editor_->cursorPosition() == 0 && !editor_->hasSelectedText();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        QAbstractItemView* popup = completer_->popup();
        bool madeToken = false;
        if (popup->isVisible() && popup->currentIndex().isValid()) {
            const QString choice = popup->currentIndex().data().toString();
            editor_->clear();
            commitToken(choice);
            madeToken = true;
        } else {
            madeToken = commitTypedText();
        }
        if (madeToken && !returnEndsEditing_)
            return true;
        endEditing();
        // The field keeps the focus: what follows is edited from what Return gave.
        if (returnEndsEditing_ && editor_->hasFocus())
            beginEditing();
        return true;
    }
    case Qt::Key_Tab:
        // The typed text becomes a token; the focus moves on as usual.
        commitTypedText();
        return false;
    case Qt::Key_Backspace:
        if (hasSelection) {
            removeSelectedTokens();
            return true;
        }
        if (atStart && !tokens_.isEmpty()) {
            selectToken(tokens_.size() - 1);
            return true;
        }
        return false;
    case Qt::Key_Delete:
        if (hasSelection) {
            removeSelectedTokens();
            return true;
        }
        return false;
    case Qt::Key_Left:
        if (!plain && !(event->modifiers() & Qt::ShiftModifier))
            return false;
        if (hasSelection) {
            const qsizetype first = selectedTokenIndexes().constFirst();
            selectToken(std::max<qsizetype>(first - 1, 0), event->modifiers() & Qt::ShiftModifier);
            return true;
        }
        if (atStart && !tokens_.isEmpty()) {
            selectToken(tokens_.size() - 1);
            return true;
        }
        return false;
    case Qt::Key_Right:
        if (hasSelection && plain) {
            const qsizetype last = selectedTokenIndexes().constLast();
            if (last + 1 < tokens_.size())
                selectToken(last + 1);
            else
                clearTokenSelection();
            return true;
        }
        return false;
    case Qt::Key_Escape:
        if (completer_->popup()->isVisible()) {
            hideCompletions();
            return true;
        }
        if (hasSelection) {
            clearTokenSelection();
            return true;
        }
        // Left to the window: a popover closes.
        event->ignore();
        return false;
    default:
        if (hasSelection && !event->text().isEmpty() && event->text().at(0).isPrint())
            clearTokenSelection();
        return false;
    }
}

// ---- Completion ----

void CustomTokenField::updateCompletions()
{
    const QString typed = editor_->text().trimmed();
    if (typed.isEmpty() || !internalTagManager_) {
        hideCompletions();
        return;
    }
    const Completions completions = completionsForSubstring(typed);
    if (completions.names.isEmpty()) {
        hideCompletions();
        return;
    }
    completionModel_->setStringList(completions.names);
    QRect rect = editor_->rect();
    rect.setWidth(std::max(rect.width(), 180));
    completer_->complete(rect);
    QAbstractItemView* popup = completer_->popup();
    if (completions.indexOfSelectedItem >= 0) {
        popup->setCurrentIndex(completionModel_->index(completions.indexOfSelectedItem));
    } else {
        popup->selectionModel()->clear();
        popup->setCurrentIndex(QModelIndex());
    }
}

void CustomTokenField::hideCompletions()
{
    if (completer_->popup()->isVisible())
        completer_->popup()->hide();
}

// ---- Layout and painting ----

int CustomTokenField::rowHeight() const
{
    return std::max(fontMetrics().height() + 6, editor_->sizeHint().height());
}

int CustomTokenField::chipWidth(const QString& token) const
{
    // A little room over the advance, so rounding never elides a chip that fits.
    return fontMetrics().horizontalAdvance(token) + 2 * chipPadding + 2;
}

CustomTokenField::Layout CustomTokenField::computeLayout(int width) const
{
    Layout layout;
    const int row = rowHeight();
    const int right = std::max(width - fieldMargin, fieldMargin + editorMinimumWidth);
    int x = fieldMargin;
    int y = fieldMargin;
    for (const QString& token : tokens_) {
        const int w = std::min(chipWidth(token), right - fieldMargin);
        if (x > fieldMargin && x + w > right) {
            x = fieldMargin;
            y += row + chipSpacing;
        }
        layout.chips.append(QRect(x, y, w, row));
        x += w + chipSpacing;
    }
    if (x > fieldMargin && x + editorMinimumWidth > right) {
        x = fieldMargin;
        y += row + chipSpacing;
    }
    layout.editor = QRect(x, y, right - x, row);
    layout.height = y + row + fieldMargin;
    return layout;
}

void CustomTokenField::relayout()
{
    // The chips are painted: a screen reader learns them from the description.
    setAccessibleDescription(tokens_.join(QStringLiteral(", ")));
    layout_ = computeLayout(width());
    editor_->setGeometry(layout_.editor);
    if (height() != layout_.height)
        updateGeometry();
    update();
}

QRect CustomTokenField::tokenRect(qsizetype index) const
{
    return layout_.chips.value(index);
}

QSize CustomTokenField::sizeHint() const
{
    const int width = std::max(this->width(), 220);
    return {width, computeLayout(width).height};
}

QSize CustomTokenField::minimumSizeHint() const
{
    return {fieldMargin * 2 + editorMinimumWidth, rowHeight() + 2 * fieldMargin};
}

int CustomTokenField::heightForWidth(int width) const
{
    return computeLayout(width).height;
}

void CustomTokenField::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void CustomTokenField::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        relayout();
}

void CustomTokenField::mousePressEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    for (qsizetype i = 0; i < layout_.chips.size(); ++i) {
        if (layout_.chips.at(i).contains(point)) {
            editor_->setFocus(Qt::MouseFocusReason);
            const bool extend = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier);
            if (extend && selected_.value(i)) {
                selected_[i] = false;
                update();
            } else {
                selectToken(i, extend);
            }
            event->accept();
            return;
        }
    }
    clearTokenSelection();
    editor_->setFocus(Qt::MouseFocusReason);
    editor_->setCursorPosition(editor_->text().size());
    event->accept();
}

void CustomTokenField::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const bool focused = editor_->hasFocus();

    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(focused ? pal.color(QPalette::Highlight) : pal.color(QPalette::Mid), focused ? 1.5 : 1.0));
    painter.setBrush(pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Base));
    painter.drawRoundedRect(frame, 4, 4);

    const QColor accent = pal.color(QPalette::Highlight);
    QColor chipFill = accent;
    chipFill.setAlphaF(0.16f);
    QColor chipBorder = accent;
    chipBorder.setAlphaF(0.45f);
    for (qsizetype i = 0; i < layout_.chips.size(); ++i) {
        const QRectF chip = QRectF(layout_.chips.at(i)).adjusted(0.5, 0.5, -0.5, -0.5);
        const bool isSelected = selected_.value(i);
        const qreal radius = chip.height() / 2;
        painter.setPen(QPen(isSelected ? accent : chipBorder, 1.0));
        painter.setBrush(isSelected ? accent : chipFill);
        painter.drawRoundedRect(chip, radius, radius);
        painter.setPen(isSelected ? pal.color(QPalette::HighlightedText) : pal.color(QPalette::Text));
        const QRect textRect = layout_.chips.at(i).adjusted(chipPadding, 0, -chipPadding, 0);
        const QString& token = tokens_.at(i);
        const QString text = fontMetrics().horizontalAdvance(token) <= textRect.width()
            ? token
            : fontMetrics().elidedText(token, Qt::ElideMiddle, textRect.width());
        painter.drawText(textRect, Qt::AlignCenter, text);
    }
}

} // namespace vantel
