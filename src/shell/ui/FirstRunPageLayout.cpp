#include "shell/ui/FirstRunPageLayout.h"

#include <QLabel>
#include <QVBoxLayout>

namespace vantel::FirstRunPageLayout {

namespace {

constexpr int kHorizontalMargin = 36;
constexpr int kVerticalMargin = 24;
constexpr int kSpacing = 12;
constexpr qreal kTitleScale = 1.6;

} // namespace

QVBoxLayout* makePageLayout(QWidget* page)
{
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(kHorizontalMargin, kVerticalMargin, kHorizontalMargin, kVerticalMargin);
    layout->setSpacing(kSpacing);
    return layout;
}

QLabel* makeTitle(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * kTitleScale);
    font.setBold(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignHCenter);
    label->setWordWrap(true);
    return label;
}

QLabel* makeText(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

void addTitleAndText(QVBoxLayout* layout, const QString& title, const QStringList& paragraphs, QWidget* page)
{
    layout->addWidget(makeTitle(title, page));
    for (const QString& paragraph : paragraphs)
        layout->addWidget(makeText(paragraph, page));
}

} // namespace vantel::FirstRunPageLayout
