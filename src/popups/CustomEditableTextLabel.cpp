#include "popups/CustomEditableTextLabel.h"

#include "popups/CustomTextFieldDelegate.h"

#include <QApplication>
#include <QFocusEvent>
#include <QMouseEvent>

namespace vantel {

namespace {

QString trimmedOfSpacesAndTabs(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    const auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    while (begin < end && blank(text.at(begin)))
        ++begin;
    while (end > begin && blank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

CustomEditableTextLabel::CustomEditableTextLabel(QWidget* parent)
    : CustomTextField(parent)
{
    setFrame(false);
    // A label does not take the focus until it is made editable.
    setEditable(false);
}

void CustomEditableTextLabel::setEditable(bool editable)
{
    setReadOnly(!editable);
    setFocusPolicy(editable ? Qt::StrongFocus : Qt::NoFocus);
    QPalette palette = QApplication::palette(this);
    if (!editable)
        palette.setBrush(QPalette::Base, Qt::transparent);
    setPalette(palette);
    setFrame(editable);
    update();
}

void CustomEditableTextLabel::mousePressEvent(QMouseEvent* event)
{
    if (isReadOnly()) {
        // A label passes single clicks on (a sidebar row selects itself).
        event->ignore();
        return;
    }
    CustomTextField::mousePressEvent(event);
}

void CustomEditableTextLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (isReadOnly() && editIsAllowed_) {
        setEditable(true);
        setFocus(Qt::MouseFocusReason);
        selectAll();
        event->accept();
        return;
    }
    if (isReadOnly()) {
        event->ignore();
        return;
    }
    CustomTextField::mouseDoubleClickEvent(event);
}

void CustomEditableTextLabel::controlTextDidBeginEditing()
{
    valueBeforeEdit_ = text();
}

void CustomEditableTextLabel::controlTextDidEndEditing()
{
    setEditable(false);
    if (hasFocus())
        clearFocus();
    valueAfterEdit_ = trimmedOfSpacesAndTabs(text());
    if (valueBeforeEdit_.isEmpty() || cancelling_)
        return;
    if (valueAfterEdit_.isEmpty() || valueAfterEdit_ == valueBeforeEdit_) {
        setText(valueBeforeEdit_);
        return;
    }
    if (customTextFieldDelegate_ && !customTextFieldDelegate_->shouldChangeValue(valueBeforeEdit_, valueAfterEdit_))
        setText(valueBeforeEdit_);
    else
        setText(valueAfterEdit_);
    update();
}

bool CustomEditableTextLabel::cancelOperation()
{
    if (isReadOnly())
        return false;
    // The restored text is what editing ends with: nothing to ask.
    setText(valueBeforeEdit_);
    cancelling_ = true;
    endEditing();
    cancelling_ = false;
    setEditable(false);
    clearFocus();
    return true;
}

void CustomEditableTextLabel::focusOutEvent(QFocusEvent* event)
{
    CustomTextField::focusOutEvent(event);
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        setEditable(false);
}

} // namespace vantel
