#pragma once

#include <QString>
#include <QStringList>

class QLabel;
class QVBoxLayout;
class QWidget;

namespace vantel::FirstRunPageLayout {

// The look the assistant's pages share: margins, a title, running text.
QVBoxLayout* makePageLayout(QWidget* page);
QLabel* makeTitle(const QString& text, QWidget* parent);
QLabel* makeText(const QString& text, QWidget* parent);
// Adds the title and below it one text label for each paragraph.
void addTitleAndText(QVBoxLayout* layout, const QString& title, const QStringList& paragraphs, QWidget* page);

} // namespace vantel::FirstRunPageLayout
