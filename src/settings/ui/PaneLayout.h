#pragma once

#include <QWidget>

#include <QToolButton>

#include <QAbstractItemView>

#include <QString>


namespace vantel {

class CustomMarkdownTextView;

// The layout the list panes share (search scopes, folder access, URL
// templates): the list with its add and remove buttons below on the left,
// the help text on the right.
namespace PaneLayout {

constexpr int helpWidth = 300;
constexpr int margin = 16;

// A small button with the theme's icon (where it has one) and a text whose
// mnemonic reaches it from the keyboard; the name is for screen readers.
QToolButton* actionButton(const QString& iconName, const QString& text, const QString& accessibleName);

void arrange(QWidget* view, QAbstractItemView* list, QToolButton* add, QToolButton* remove,
             CustomMarkdownTextView* help);

} // namespace PaneLayout

} // namespace vantel
