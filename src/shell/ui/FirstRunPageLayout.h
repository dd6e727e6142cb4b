#pragma once

#include <QString>

class QLabel;
class QVBoxLayout;
class QWidget;

namespace vantel::FirstRunPageLayout {

// The look the assistant's pages share: margins, a title, running text.
QVBoxLayout* makePageLayout(QWidget* page);
QLabel* makeTitle(const QString& text, QWidget* parent);
QLabel* makeText(const QString& text, QWidget* parent);

} // namespace vantel::FirstRunPageLayout
