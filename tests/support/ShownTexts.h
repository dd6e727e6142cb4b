#pragma once

#include <QStringList>

class QWidget;

namespace vantel::test {

// What a window shows a person in words: its title, the texts of its labels,
// buttons, tabs, group boxes, choices and column headers, placeholders, tool
// tips, accessible names and the items of its actions' and buttons' menus.
// The rows of lists are the user's data and not among them.
QStringList shownTexts(const QWidget* window);

// The shown texts that hold a word only the English texts of the tables use
// ("Input", "Placeholder", "Menubar"), each with the word found; none outside
// a German session, where English is what a person should see.
QStringList englishLeftInGerman(const QWidget* window);
// The same for texts shown otherwise (an alert's); the paths in them name
// things, in no language.
QStringList englishLeftInGerman(const QStringList& texts);

} // namespace vantel::test
