#include "model/view/ViewUtilities.h"

#include <QMimeData>
#include <QPixmap>
#include <QUrl>
#include <QWidget>

namespace vantel {

QImage snapshotImage(QWidget* view, bool isTableRow)
{
    const auto empty = [] {
        QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        return image;
    };
    if (!view || view->width() <= 0 || view->height() <= 0)
        return empty();

    const QPalette savedPalette = view->palette();
    const bool savedAutoFill = view->autoFillBackground();
    if (isTableRow) {
        QPalette palette = savedPalette;
        palette.setColor(view->backgroundRole(), savedPalette.color(QPalette::Base));
        view->setPalette(palette);
        view->setAutoFillBackground(true);
    }
    const QImage image = view->grab(view->rect()).toImage();
    if (isTableRow) {
        view->setPalette(savedPalette);
        view->setAutoFillBackground(savedAutoFill);
    }
    return image.isNull() ? empty() : image;
}

bool acceptsDraggedFiles(const QStringList& registeredTypes, const QMimeData* dragData)
{
    if (!dragData || dragData->formats().isEmpty())
        return true;
    QStringList itemTypes;
    QStringList urlTexts;
    for (const QUrl& url : dragData->urls()) {
        itemTypes.append(url.isLocalFile() ? fileURLDragType : urlDragType);
        urlTexts.append(url.toString());
        urlTexts.append(url.isLocalFile() ? url.toLocalFile() : url.toString());
    }
    if (dragData->hasText()) {
        const QStringList lines = dragData->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        bool onlyURLs = !lines.isEmpty();
        for (const QString& line : lines)
            onlyURLs = onlyURLs && urlTexts.contains(line.trimmed());
        if (!onlyURLs)
            itemTypes.append(plainTextDragType);
    }
    if (itemTypes.isEmpty())
        return false;  // formats that no item type stands for
    for (const QString& type : std::as_const(itemTypes))
        if (!registeredTypes.contains(type))
            return false;
    return true;
}

bool isDark(const QPalette& palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

} // namespace vantel
