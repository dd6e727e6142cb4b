#include "shell/ui/FirstRunSecondScreenViewController.h"

#include "graphics/DrawingKit.h"
#include "graphics/ImageUtilities.h"
#include "model/LocalizedStrings.h"
#include "platform/Bundle.h"
#include "shell/ui/FirstRunPageLayout.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace vantel {

namespace {

constexpr QSize kSketchSize{300, 140};

// A small drawing of the main view: search field, sidebar with categories
// and tags, the list with one selected entry. Drawn from the palette, so it
// follows light and dark themes.
QPixmap mainViewSketch(const QPalette& palette, qreal devicePixelRatio)
{
    QPixmap pixmap(kSketchSize * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF frame = QRectF(QPointF(0, 0), QSizeF(kSketchSize)).adjusted(1, 1, -1, -1);
    QPainterPath window;
    window.addRoundedRect(frame, 8, 8);
    painter.fillPath(window, palette.color(QPalette::Base));
    painter.setPen(QPen(palette.color(QPalette::Mid), 1));
    painter.drawPath(window);

    const QColor text = palette.color(QPalette::Text);
    QColor faint = text;
    faint.setAlphaF(0.18);
    QColor sidebar = text;
    sidebar.setAlphaF(0.05);

    // Sidebar.
    constexpr qreal sidebarWidth = 96;
    painter.save();
    painter.setClipPath(window);
    painter.fillRect(QRectF(frame.left(), frame.top(), sidebarWidth, frame.height()), sidebar);
    painter.restore();

    const platform::Bundle& bundle = platform::Bundle::main();
    // The bundle's symbols are single-coloured lines: drawn in the text's
    // colour they read on a dark field as on a light one.
    const auto drawIcon = [&](const QString& name, const QRectF& where) {
        if (const auto icon = bundle.imageNamed(name))
            tinted(*icon, text).paint(&painter, where.toRect());
        else
            painter.fillRect(where.adjusted(2, 2, -2, -2), faint);
    };
    const auto bar = [&](qreal x, qreal y, qreal width) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(faint);
        painter.drawRoundedRect(QRectF(x, y, width, 6), 3, 3);
    };

    const QStringList categories = {QStringLiteral("icon_folder"), QStringLiteral("icon_document"),
                                    QStringLiteral("icon_url"), QStringLiteral("icon_tags")};
    qreal y = frame.top() + 12;
    for (int i = 0; i < categories.size(); ++i) {
        drawIcon(categories.at(i), QRectF(frame.left() + 10, y, 16, 16));
        bar(frame.left() + 32, y + 5, 44 - 6 * (i % 2));
        y += 22;
    }
    y += 4;
    // Tags: coloured dots.
    const QList<QColor> tagColours = {DrawingKit::tarnwickOrange(), QColor(0x3d, 0xae, 0xe9)};
    for (const QColor& colour : tagColours) {
        painter.setBrush(colour);
        painter.drawEllipse(QRectF(frame.left() + 14, y + 2, 9, 9));
        bar(frame.left() + 32, y + 4, 36);
        y += 16;
    }

    // Search field.
    const qreal listLeft = frame.left() + sidebarWidth + 12;
    const qreal listWidth = frame.right() - listLeft - 12;
    painter.setPen(QPen(palette.color(QPalette::Mid), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(listLeft, frame.top() + 10, listWidth, 18), 9, 9);
    drawIcon(QStringLiteral("icon_window_search"), QRectF(listLeft + 4, frame.top() + 12, 14, 14));

    // Entries, the second one selected.
    y = frame.top() + 36;
    for (int row = 0; row < 4; ++row) {
        const QRectF rowRect(listLeft - 4, y - 3, listWidth + 8, 24);
        if (row == 1) {
            QColor selection = DrawingKit::tarnwickOrange();
            selection.setAlphaF(0.35);
            painter.setPen(Qt::NoPen);
            painter.setBrush(selection);
            painter.drawRoundedRect(rowRect, 4, 4);
        }
        drawIcon(row % 2 ? QStringLiteral("icon_document") : QStringLiteral("icon_folder"),
                 QRectF(listLeft, y, 18, 18));
        bar(listLeft + 26, y + 2, listWidth * (row % 2 ? 0.45 : 0.6));
        bar(listLeft + 26, y + 11, listWidth * 0.3);
        y += 25;
    }
    painter.end();
    return pixmap;
}

} // namespace

QWidget* FirstRunSecondScreenViewController::loadView()
{
    using namespace FirstRunPageLayout;
    auto* page = new QWidget();
    page->setObjectName(QStringLiteral("FirstRunSheet2"));
    QVBoxLayout* layout = makePageLayout(page);

    image_ = new QLabel(page);
    image_->setObjectName(QStringLiteral("image"));
    image_->setAccessibleName(localized("The main view"));
    image_->setAlignment(Qt::AlignCenter);
    image_->setPixmap(mainViewSketch(page->palette(), qApp ? qApp->devicePixelRatio() : 1.0));
    image_->setFixedSize(kSketchSize);
    // Drawn from the palette: drawn again when the palette changes.
    page->installEventFilter(this);

    layout->addWidget(image_, 0, Qt::AlignHCenter);
    addTitleAndText(layout, localized("Everything at hand"),
                    {localized("Categories and tags are on the left, their entries on the right. "
                               "Drag an entry onto a tag to tag it; drop files or links on free space in the "
                               "list to add them, or on an entry to open them with it."),
                     localized("Just type to search all entries. Return opens the selected entry, "
                               "Ctrl+1 to Ctrl+9 open the first nine."),
                     localized("Hotkeys open the main view, a category, a tag or an entry directly: set them "
                               "in Preferences…, Tags… and Modify Data…")},
                    page);
    layout->addStretch(1);
    return page;
}

bool FirstRunSecondScreenViewController::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::PaletteChange && image_ && watched == image_->parentWidget())
        image_->setPixmap(mainViewSketch(image_->parentWidget()->palette(), image_->devicePixelRatioF()));
    return DefaultVantelViewController::eventFilter(watched, event);
}

} // namespace vantel
