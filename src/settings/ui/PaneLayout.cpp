#include "settings/ui/PaneLayout.h"

#include "markdown/view/CustomMarkdownTextView.h"

#include <QAbstractItemView>
#include <QHBoxLayout>
#include <QIcon>
#include <QToolButton>
#include <QVBoxLayout>

namespace vantel::PaneLayout {

QToolButton* actionButton(const QString& iconName, const QString& text, const QString& accessibleName)
{
    auto* button = new QToolButton;
    button->setText(text);
    const QIcon icon = QIcon::fromTheme(iconName);
    if (!icon.isNull()) {
        button->setIcon(icon);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
    button->setAccessibleName(accessibleName);
    button->setToolTip(accessibleName);
    return button;
}

void arrange(QWidget* view, QAbstractItemView* list, QToolButton* add, QToolButton* remove, CustomMarkdownTextView* help)
{
    auto* layout = new QHBoxLayout(view);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(margin);

    auto* left = new QVBoxLayout;
    left->setSpacing(4);
    left->addWidget(list, 1);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch(1);
    left->addLayout(buttons);
    layout->addLayout(left, 1);

    help->setFixedWidth(helpWidth);
    help->setFrameShape(QFrame::NoFrame);
    help->viewport()->setAutoFillBackground(false);
    layout->addWidget(help);
}

} // namespace vantel::PaneLayout
