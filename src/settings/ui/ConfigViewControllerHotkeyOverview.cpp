#include "settings/ui/ConfigViewControllerHotkeyOverview.h"

#include "config/Configuration.h"
#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "hotkeys/HotKeyCenter.h"
#include "model/LocalizedStrings.h"
#include "settings/ui/FloatingPanelView.h"
#include "shell/AppDelegate.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>
#include <QVBoxLayout>

namespace vantel {

namespace {

QColor accent(const QWidget* widget)
{
    return widget->palette().color(QPalette::Highlight);
}

// A section's rounded background in the accent colour.
class SectionFrame : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor fill = accent(this);
        fill.setAlphaF(HostedHotkeyOverviewContentView::backgroundOpacity);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), HostedHotkeyOverviewContentView::cornerRadius,
                            HostedHotkeyOverviewContentView::cornerRadius);
        painter.fillPath(path, fill);
    }
};

QWidget* headerRow(const QString& title)
{
    auto* header = new QWidget;
    header->setObjectName(QStringLiteral("HotkeyOverviewHeaderRow"));
    auto* layout = new QVBoxLayout(header);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->setSpacing(0);
    auto* label = new QLabel(title);
    label->setObjectName(QStringLiteral("title"));
    QFont headline = label->font();
    headline.setBold(true);
    headline.setPointSizeF(headline.pointSizeF() * 1.2);
    label->setFont(headline);
    label->setMinimumWidth(HostedHotkeyOverviewContentView::headerWidth);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* bar = new QFrame;
    bar->setObjectName(QStringLiteral("bar"));
    bar->setFixedSize(HostedHotkeyOverviewContentView::headerWidth, 2);
    bar->setAutoFillBackground(true);
    QPalette barPalette = bar->palette();
    barPalette.setColor(QPalette::Window, accent(label));
    bar->setPalette(barPalette);
    layout->addWidget(label);
    layout->addWidget(bar, 0, Qt::AlignHCenter);
    return header;
}

QWidget* hotkeyRow(const HotkeyOverviewRow& row)
{
    auto* line = new QWidget;
    line->setObjectName(QStringLiteral("HotkeyOverviewHotkeyRow"));
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* hotkey = new QLabel(row.hotkey);
    hotkey->setObjectName(QStringLiteral("hotkey"));
    hotkey->setFixedWidth(HostedHotkeyOverviewContentView::leftColumn);
    hotkey->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QPalette hotkeyPalette = hotkey->palette();
    hotkeyPalette.setColor(QPalette::WindowText, accent(hotkey));
    hotkey->setPalette(hotkeyPalette);
    auto* description = new QLabel(row.description);
    description->setObjectName(QStringLiteral("description"));
    description->setFixedWidth(HostedHotkeyOverviewContentView::rightColumn);
    description->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The space between the two columns belongs to the description.
    description->setIndent(12);
    description->setToolTip(row.description);
    layout->addWidget(hotkey, 0, Qt::AlignVCenter);
    layout->addWidget(description, 0, Qt::AlignVCenter);
    layout->addStretch(1);
    return line;
}

} // namespace

HostedHotkeyOverviewContentView::HostedHotkeyOverviewContentView(const QList<HotkeyOverviewSection>& sections,
                                                                 QWidget* parent)
    : QScrollArea(parent)
{
    setObjectName(QStringLiteral("HostedHotkeyOverviewContentView"));
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    auto* stack = new QVBoxLayout(content);
    stack->setContentsMargins(0, 0, 0, 0);
    for (const HotkeyOverviewSection& section : sections) {
        auto* frame = new SectionFrame;
        frame->setObjectName(QStringLiteral("section%1").arg(static_cast<int>(section.kind)));
        auto* layout = new QVBoxLayout(frame);
        layout->setContentsMargins(5, 10, 5, 10);
        layout->setSpacing(2);
        if (section.title)
            layout->addWidget(headerRow(*section.title));
        for (const HotkeyOverviewRow& row : section.rows)
            layout->addWidget(hotkeyRow(row));
        stack->addWidget(frame, 0, Qt::AlignLeft);
        sections_.append(frame);
    }
    stack->addStretch(1);
    setWidget(content);
}

ConfigViewControllerHotkeyOverview::ConfigViewControllerHotkeyOverview(QObject* parent)
    : ConfigViewControllerHotkeyOverview(
          HotkeyOverviewContentView::sections(AppDelegate::shared().config(), DataStorage::shared().allData()->snapshot(),
                                              DataStorage::shared().tagManager().allVisibleTags()->snapshot(),
                                              [](const KeyCombo& combo) {
                                                  return combo.doubledModifiers()
                                                      && !HotKeyCenter::shared().seesDoubleTaps();
                                              }),
          parent)
{
}

ConfigViewControllerHotkeyOverview::ConfigViewControllerHotkeyOverview(QList<HotkeyOverviewSection> sections,
                                                                       QObject* parent)
    : SettingsViewController(parent)
    , sections_(std::move(sections))
{
    // Wide enough for the rows and the scroll bar; as tall as the overview.
    setPreferredContentSize(QSize(HostedHotkeyOverviewContentView::contentWidth + 60, 700));
}

QWidget* ConfigViewControllerHotkeyOverview::loadView()
{
    auto* view = new FloatingPanelView;
    view->setObjectName(QStringLiteral("ConfigViewControllerHotkeyOverview"));
    view->setWindowTitle(localized("Overview of keyboard shortcuts"));
    auto* layout = new QVBoxLayout(view);
    layout->setContentsMargins(20, 36, 20, 20);
    contentView_ = new HostedHotkeyOverviewContentView(sections_);
    layout->addWidget(contentView_);
    view->closeButton()->raise();
    return view;
}

void ConfigViewControllerHotkeyOverview::viewWillAppear()
{
    if (QWidget* window = view()->window(); window && window != view())
        window->setWindowTitle(localized("Overview of keyboard shortcuts"));
}

} // namespace vantel
