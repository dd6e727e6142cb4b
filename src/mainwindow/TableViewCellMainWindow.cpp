#include "mainwindow/TableViewCellMainWindow.h"

#include "datastore/DataStorage.h"
#include "datastore/TagManager.h"
#include "graphics/DrawingKit.h"
#include "graphics/IconCache.h"
#include "graphics/ImageUtilities.h"
#include "mainwindow/MainTableViewModel.h"
#include "model/L10n.h"
#include "platform/Bundle.h"
#include "shell/AppDelegate.h"

#include <QAbstractItemView>
#include <QCache>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>

#include <algorithm>
#include <memory>

namespace vantel {

namespace {

// U+21A9 U+FE0E: the Return key, drawn as text.
const QString returnHint = QStringLiteral("\u21A9\uFE0E");

struct Metrics {
    int iconSize;
    qreal nameScale;
    qreal detailScale;
};

Metrics metricsFor(RowStyle style)
{
    if (style == RowStyle::smallStyle)
        return {32, 1.0, 0.85};
    return {48, 1.12, 0.9};
}

QFont scaled(const QFont& base, qreal factor)
{
    QFont font = base;
    if (base.pointSizeF() > 0)
        font.setPointSizeF(base.pointSizeF() * factor);
    else
        font.setPixelSize(std::max(1, int(base.pixelSize() * factor + 0.5)));
    return font;
}

QColor colourOr(const std::optional<platform::Color>& colour, const QColor& fallback)
{
    return colour ? colour->toQColor() : fallback;
}

bool isClear(const platform::Color& colour)
{
    return colour.alpha <= 0.0;
}

std::optional<QIcon> bundleImage(const char* name)
{
    return platform::Bundle::main().imageNamed(QString::fromLatin1(name));
}

// A text elided at its tail to a width, with its mark, laid out for a font.
struct LaidOutKey {
    QString font;
    QString text;
    qsizetype markStart = -1;
    qsizetype markLength = 0;
    qint64 width = 0; // in 1/64 px

    bool operator==(const LaidOutKey&) const = default;
};

size_t qHash(const LaidOutKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.font, key.text, key.markStart, key.markLength, key.width);
}

// Laying the texts out is most of a row's paint, and the visible rows are
// painted again and again (the view shown again, hover, a moved
// selection): their layouts are kept. Painting is main-thread only.
QCache<LaidOutKey, QTextLayout>& laidOutTexts()
{
    static QCache<LaidOutKey, QTextLayout> cache(96);
    return cache;
}

const QTextLayout& laidOut(const QFont& font, const QString& text, const std::optional<TextMark>& mark, qreal width)
{
    LaidOutKey key{font.key(), text, mark ? mark->first : -1, mark ? mark->second : 0, qRound64(width * 64)};
    if (const QTextLayout* kept = laidOutTexts().object(key))
        return *kept;
    const QFontMetricsF metrics(font);
    const QString shown = metrics.elidedText(text, Qt::ElideRight, width);
    auto layout = std::make_unique<QTextLayout>(shown, font);
    layout->setCacheEnabled(true); // keeps the shaped glyphs for the next paint
    if (mark && mark->first < shown.size()) {
        // Past the kept characters the text ends in the ellipsis.
        const bool elided = shown != text;
        const qsizetype kept = elided ? shown.size() - 1 : shown.size();
        const qsizetype length = std::min(mark->second, kept - mark->first);
        if (length > 0) {
            QTextLayout::FormatRange range;
            range.start = int(mark->first);
            range.length = int(length);
            range.format.setFontUnderline(true);
            layout->setFormats({range});
        }
    }
    layout->beginLayout();
    QTextLine line = layout->createLine();
    if (line.isValid())
        line.setLineWidth(width + metrics.averageCharWidth());
    layout->endLayout();
    QTextLayout* const made = layout.release();
    laidOutTexts().insert(std::move(key), made);
    return *made;
}

// The text elided at its tail to the width, with the mark underlined where
// it is still visible.
void drawMarkedText(QPainter& painter, const QRectF& rect, const QFont& font, const QString& text,
                    const std::optional<TextMark>& mark, const QColor& colour)
{
    const QTextLayout& layout = laidOut(font, text, mark, rect.width());
    if (layout.text().isEmpty() || layout.lineCount() == 0)
        return;
    const QTextLine line = layout.lineAt(0);
    painter.save();
    painter.setPen(colour);
    painter.setClipRect(rect.adjusted(0, -2, 0, 2));
    layout.draw(&painter, QPointF(rect.left(), rect.top() + (rect.height() - line.height()) / 2));
    painter.restore();
}

// Stand-ins for bundle images the theme may lack, drawn in the same place.
void drawTagBackground(QPainter& painter, const QRectF& rect, const QPalette& palette)
{
    if (const auto image = bundleImage("tag_Background")) {
        image->paint(&painter, rect.toRect());
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(rect.adjusted(1, 1, -1, -1), rect.width() * 0.22, rect.width() * 0.22);
    painter.fillPath(path, blendedColor(palette.color(QPalette::Base), 0.12, palette.color(QPalette::Text)));
    painter.setPen(QPen(blendedColor(palette.color(QPalette::Base), 0.3, palette.color(QPalette::Text)), 1));
    painter.drawPath(path);
    painter.restore();
}

void drawBadge(QPainter& painter, const QRectF& rect, const QPalette& palette)
{
    if (const auto image = bundleImage("overlay_Execute")) {
        image->paint(&painter, rect.toRect());
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette.color(QPalette::Base), 1.5));
    painter.setBrush(palette.color(QPalette::Highlight));
    painter.drawEllipse(rect.adjusted(1, 1, -1, -1));
    const qreal w = rect.width();
    QPolygonF triangle;
    triangle << QPointF(rect.left() + w * 0.40, rect.top() + w * 0.30) << QPointF(rect.left() + w * 0.72, rect.center().y())
             << QPointF(rect.left() + w * 0.40, rect.top() + w * 0.70);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette.color(QPalette::HighlightedText));
    painter.drawPolygon(triangle);
    painter.restore();
}

void drawRunningMarker(QPainter& painter, const QRectF& rect, const std::optional<QColor>& tint,
                       const QPalette& palette)
{
    if (const auto image = bundleImage("status_AppActive")) {
        tinted(*image, tint).paint(&painter, rect.toRect());
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(tint.value_or(palette.color(QPalette::Text)));
    painter.drawEllipse(rect);
    painter.restore();
}

} // namespace

TableViewCellMainWindow::TableViewCellMainWindow(DataStorage& store, QObject* parent)
    : QStyledItemDelegate(parent), store_(store)
{
}

QString TableViewCellMainWindow::identifier() const
{
    return rowStyle_ == RowStyle::smallStyle ? identifierSmall : identifierDefault;
}

int TableViewCellMainWindow::rowHeight(RowStyle style)
{
    return style == RowStyle::smallStyle ? rowHeightSmall : rowHeightDefault;
}

int TableViewCellMainWindow::iconSize(RowStyle style)
{
    return metricsFor(style).iconSize;
}

bool TableViewCellMainWindow::setModifierKeys(bool controlKeyActive, bool optionKeyActive, bool commandKeyActive,
                                              bool shiftKeyActive)
{
    const bool changed = controlKeyActive_ != controlKeyActive || optionKeyActive_ != optionKeyActive
        || commandKeyActive_ != commandKeyActive || shiftKeyActive_ != shiftKeyActive;
    controlKeyActive_ = controlKeyActive;
    optionKeyActive_ = optionKeyActive;
    commandKeyActive_ = commandKeyActive;
    shiftKeyActive_ = shiftKeyActive;
    return changed;
}

CellSelection TableViewCellMainWindow::selectionStyle(bool selected, FocusedControl focus, bool listHasFocus)
{
    if (!selected)
        return CellSelection::notSelected;
    if (focus == FocusedControl::searchField || focus == FocusedControl::mainTableView || listHasFocus)
        return CellSelection::selectedAndFocused;
    return CellSelection::selectedWithoutFocus;
}

std::optional<TextMark> TableViewCellMainWindow::mark(const QString& text, const QString& searchText)
{
    if (searchText.isEmpty() || text.isEmpty())
        return std::nullopt;
    // Found in the text itself: a lower-cased copy may differ in length.
    const qsizetype at = text.indexOf(searchText, 0, Qt::CaseInsensitive);
    if (at < 0)
        return std::nullopt;
    return TextMark{at, searchText.size()};
}

QIcon TableViewCellMainWindow::entryIcon(const TableViewItemPtr& entry, bool smallIcon)
{
    return IconCache::shared().getIcon(entry, !smallIcon);
}

TableViewCellContents TableViewCellMainWindow::contentsFor(const TableViewItemPtr& item, int itemIndex,
                                                           CellSelection selection) const
{
    const TableViewItem& entry = *item;
    const Configuration& config = AppDelegate::shared().config();
    const QString searchText = store_.filterCurrentData().searchStringFromSearchField;
    TableViewCellContents contents;

    contents.isTag = entry.itemType() == ListviewItemType::tag;
    contents.icon = entryIcon(item, rowStyle_ == RowStyle::smallStyle);
    contents.iconIsSymbol = !contents.isTag && IconCache::givesSymbol(entry);
    // The Option key turns the setting round while it is held.
    const bool launchAll = config.selectingTagsInMainWindowLaunchAll() != optionKeyActive_;
    contents.showsBadge = contents.isTag && launchAll;

    contents.name = entry.name();
    contents.nameMark = mark(contents.name, searchText);

    const QString comment = entry.comment();
    if (contents.isTag) {
        contents.secondLine = TableViewCellContents::SecondLine::tagAction;
        const QString& text = launchAll ? L10n::tagGroupLaunchTableViewItem() : L10n::tagGroupViewTableViewItem();
        contents.secondLineText = QString(text).replace(QStringLiteral("%tagName"), entry.path());
    } else if (!comment.isEmpty()) {
        contents.secondLine = TableViewCellContents::SecondLine::comment;
        contents.secondLineText = comment;
        contents.secondLineMark = mark(comment, searchText);
    } else if (config.showPathInMainView()) {
        contents.secondLine = TableViewCellContents::SecondLine::path;
        contents.secondLineText = entry.path();
    }

    const bool commandAlone = commandKeyActive_ && !shiftKeyActive_ && !optionKeyActive_ && !controlKeyActive_;
    const auto hotkey = entry.hotkey();
    if (selection == CellSelection::selectedAndFocused) {
        contents.hotkeyTitle = TableViewCellContents::HotkeyTitle::returnHint;
        contents.hotkeyText = returnHint;
    } else if (commandAlone && itemIndex >= 0 && itemIndex <= 8) {
        contents.hotkeyTitle = TableViewCellContents::HotkeyTitle::quickLaunchNumber;
        contents.hotkeyText = QString::number(itemIndex + 1);
    } else if (hotkey) {
        contents.hotkeyTitle = TableViewCellContents::HotkeyTitle::hotkey;
        contents.hotkeyText = hotkey->displayString();
        contents.hotkeyBordered = config.hotkeyBorder();
    }

    contents.isRunning = entry.isLaunched();
    contents.runningMarkerTinted = contents.isRunning && selection != CellSelection::notSelected;
    if (!contents.isTag)
        contents.tags = entry.tags();
    return contents;
}

QSize TableViewCellMainWindow::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const
{
    return QSize(std::max(option.rect.width(), 200), rowHeight(rowStyle_));
}

void TableViewCellMainWindow::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const
{
    const auto* model = qobject_cast<const MainTableViewModel*>(index.model());
    const TableViewItemPtr entry = model ? model->entryAt(index.row()) : nullptr;
    if (!painter || !entry)
        return;
    paintRow(*painter, option, entry, index.row());
}

QPixmap TableViewCellMainWindow::rowImage(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const auto* model = qobject_cast<const MainTableViewModel*>(index.model());
    const TableViewItemPtr entry = model ? model->entryAt(index.row()) : nullptr;
    const QSize size = option.rect.size().expandedTo(QSize(1, 1));
    const qreal ratio = option.widget ? option.widget->devicePixelRatioF() : 1.0;
    QPixmap pixmap(size * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(option.palette.color(QPalette::Base));
    if (entry) {
        QPainter painter(&pixmap);
        QStyleOptionViewItem moved = option;
        moved.rect = QRect(QPoint(0, 0), size);
        moved.state &= ~QStyle::State_Selected;
        paintRow(painter, moved, entry, index.row());
    }
    return pixmap;
}

void TableViewCellMainWindow::paintRow(QPainter& painter, const QStyleOptionViewItem& option,
                                       const TableViewItemPtr& item, int row) const
{
    const TableViewItem& entry = *item;
    const Configuration& config = AppDelegate::shared().config();
    const QPalette& palette = option.palette;
    const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
    const CellSelection selection =
        selectionStyle(option.state.testFlag(QStyle::State_Selected), focusedControl(), view && view->hasFocus());
    const TableViewCellContents contents = contentsFor(item, row, selection);
    const Metrics metrics = metricsFor(rowStyle_);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF rowRect = option.rect;
    const QRectF frame = rowRect.adjusted(rowInset, 1, -rowInset, -1);

    // Selection, then the entry's colour over it: the focused selection
    // shows the highlight and the indicator stripe only.
    if (selection != CellSelection::notSelected) {
        QPainterPath path;
        path.addRoundedRect(frame, 5, 5);
        const QColor fill = selection == CellSelection::selectedAndFocused
            ? palette.color(QPalette::Active, QPalette::Highlight)
            : blendedColor(palette.color(QPalette::Base), 0.14, palette.color(QPalette::Text));
        painter.fillPath(path, fill);
    }
    if (const auto colour = entry.color(); colour && !isClear(*colour)) {
        const double alpha = std::clamp(double(config.entryBackgroundAlphaValue()), 0.0, 1.0);
        const bool drawBackground = selection != CellSelection::selectedAndFocused && alpha >= 0.05;
        DrawingKit::drawVantelBackground(painter, frame, colour->red, colour->green, colour->blue, alpha, 0.9,
                                         drawBackground);
    }

    const bool highlighted = selection == CellSelection::selectedAndFocused;
    const QColor highlightedText = palette.color(QPalette::Active, QPalette::HighlightedText);
    const QColor text = palette.color(QPalette::Text);

    // Icon: 16 points in from the row's edge, clear of the indicator stripe.
    const qreal iconSize = metrics.iconSize;
    const QRectF iconRect(frame.left() + 16, rowRect.top() + (rowRect.height() - iconSize) / 2, iconSize, iconSize);
    if (contents.isTag) {
        drawTagBackground(painter, iconRect, palette);
        const qreal inner = iconSize * 0.56;
        const QRectF overlay(iconRect.center().x() - inner / 2, iconRect.center().y() - inner / 2, inner, inner);
        paintFilling(painter, contents.icon, overlay.toRect());
        if (contents.showsBadge) {
            const qreal badge = iconSize * 0.42;
            drawBadge(painter, QRectF(iconRect.right() - badge + 2, iconRect.bottom() - badge + 2, badge, badge),
                      palette);
        }
    } else if (contents.iconIsSymbol) {
        paintFilling(painter, tinted(contents.icon, highlighted ? highlightedText : text), iconRect.toRect());
    } else {
        paintFilling(painter, contents.icon, iconRect.toRect());
    }
    if (contents.isRunning) {
        const qreal size = rowStyle_ == RowStyle::smallStyle ? 5 : 6;
        const QRectF marker(iconRect.center().x() - size / 2, iconRect.bottom() + 1, size, size);
        drawRunningMarker(painter, marker, contents.runningMarkerTinted ? std::optional<QColor>(highlightedText)
                                                                         : std::nullopt,
                          palette);
    }

    // Hotkey title on the right.
    const QFont baseFont = option.font;
    const QFont detailFont = scaled(baseFont, metrics.detailScale);
    qreal textRight = frame.right() - 10;
    if (contents.hotkeyTitle != TableViewCellContents::HotkeyTitle::hidden) {
        const QFont hotkeyFont = contents.hotkeyTitle == TableViewCellContents::HotkeyTitle::returnHint
            ? scaled(baseFont, metrics.nameScale)
            : detailFont;
        const QFontMetricsF hotkeyMetrics(hotkeyFont);
        const qreal width = hotkeyMetrics.horizontalAdvance(contents.hotkeyText) + 12;
        const qreal height = hotkeyMetrics.height() + 4;
        const QRectF box(frame.right() - 10 - width, rowRect.top() + (rowRect.height() - height) / 2, width, height);
        QColor colour = highlighted ? highlightedText : text;
        if (contents.hotkeyBordered) {
            QColor border = colour;
            border.setAlphaF(0.45);
            painter.setPen(QPen(border, 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
        }
        painter.setFont(hotkeyFont);
        painter.setPen(colour);
        painter.drawText(box, Qt::AlignCenter, contents.hotkeyText);
        textRight = box.left() - 10;
    }

    // Name (with the tags after it) and the second line.
    const QFont nameFont = scaled(baseFont, metrics.nameScale);
    const QFontMetricsF nameMetrics(nameFont);
    const QFontMetricsF detailMetrics(detailFont);
    const qreal textLeft = iconRect.right() + 12;
    const bool hasSecondLine = contents.secondLine != TableViewCellContents::SecondLine::hidden;
    const qreal gap = 2;
    const qreal blockHeight = nameMetrics.height() + (hasSecondLine ? gap + detailMetrics.height() : 0);
    const qreal nameTop = rowRect.top() + (rowRect.height() - blockHeight) / 2;
    const qreal available = std::max<qreal>(0, textRight - textLeft);

    const QFont chipFont = scaled(baseFont, metrics.detailScale * 0.92);
    const QFontMetricsF chipMetrics(chipFont);
    qreal chipsWidth = 0;
    for (const QString& tag : contents.tags)
        chipsWidth += chipMetrics.horizontalAdvance(tag) + 10 + 4;
    const qreal nameNatural = nameMetrics.horizontalAdvance(contents.name) + 2;
    // The name keeps at least three fifths of the line against the tags.
    const qreal nameWidth = std::min(nameNatural, std::max(available * 0.6, available - chipsWidth - 6));
    const QColor nameColour = highlighted ? highlightedText : colourOr(config.diaplaynameColor(), text);
    drawMarkedText(painter, QRectF(textLeft, nameTop, nameWidth, nameMetrics.height()), nameFont, contents.name,
                   contents.nameMark, nameColour);

    qreal chipLeft = textLeft + nameWidth + 8;
    const qreal chipHeight = chipMetrics.height() + 2;
    const qreal chipTop = nameTop + (nameMetrics.height() - chipHeight) / 2;
    for (const QString& tag : contents.tags) {
        const qreal width = chipMetrics.horizontalAdvance(tag) + 10;
        if (chipLeft + width > textLeft + available)
            break;
        const QRectF chip(chipLeft, chipTop, width, chipHeight);
        const iconTagPtr tagObject = store_.tagManager().tagForName(tag);
        QColor fill = blendedColor(palette.color(QPalette::Base), 0.1, palette.color(QPalette::Text));
        if (const auto colour = tagObject ? tagObject->color() : std::nullopt; colour && !isClear(*colour)) {
            fill = colour->toQColor();
            fill.setAlphaF(0.3);
        }
        if (highlighted)
            fill = QColor(255, 255, 255, 60);
        QPainterPath path;
        path.addRoundedRect(chip, chipHeight / 2, chipHeight / 2);
        painter.fillPath(path, fill);
        painter.setFont(chipFont);
        painter.setPen(highlighted ? highlightedText : text);
        painter.drawText(chip, Qt::AlignCenter, tag);
        chipLeft += width + 4;
    }

    if (hasSecondLine) {
        QColor colour = contents.secondLine == TableViewCellContents::SecondLine::comment
            ? colourOr(config.descriptionColor(), text)
            : colourOr(config.pathColor(), text);
        if (highlighted)
            colour = highlightedText;
        const QRectF line(textLeft, nameTop + nameMetrics.height() + gap, available, detailMetrics.height());
        drawMarkedText(painter, line, detailFont, contents.secondLineText, contents.secondLineMark, colour);
    }
    painter.restore();
}

} // namespace vantel
