#include "graphics/ImageUtilities.h"

#include "platform/SymbolicImage.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace vantel {

namespace {

// Scalable images answer any box; this one is large enough for any icon
// without costing anything, since actualSize renders nothing.
constexpr int largeBox = 1024;

class TintedEngine : public QIconEngine {
public:
    TintedEngine(QIcon source, QColor colour) : source_(std::move(source)), colour_(colour) { }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap pix = scaledPixmap(rect.size(), mode, state, ratio);
        painter->drawPixmap(rect, pix);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        QPixmap pix = source_.pixmap(size, scale, mode, state);
        // A full-colour picture keeps its colours: tinted, it would be a blot.
        if (pix.isNull() || !platform::isSymbolicImage(pix.toImage()))
            return pix;
        QPainter p(&pix);
        p.setCompositionMode(QPainter::CompositionMode_SourceAtop);
        p.fillRect(pix.rect(), colour_);
        return pix;
    }

    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return source_.actualSize(size, mode, state);
    }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return source_.availableSizes(mode, state);
    }

    QString key() const override { return QStringLiteral("tinted"); }
    QIconEngine* clone() const override { return new TintedEngine(source_, colour_); }

private:
    QIcon source_;
    QColor colour_;
};

// Draws the source into whatever box it is asked for, so the image stays
// sharp at every resolution; size_ is what it reports as its own.
class ResizedEngine : public QIconEngine {
public:
    ResizedEngine(QIcon source, QSize size) : source_(std::move(source)), size_(size) { }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, scaledPixmap(rect.size(), mode, state, ratio));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        const QSize device = (QSizeF(size) * scale).toSize();
        if (device.isEmpty())
            return {};
        // A pixmap source never grows past its own size; stretch it to the
        // box as the image's own drawing would.
        QPixmap best = source_.pixmap(device, 1.0, mode, state);
        if (best.isNull())
            return best;
        if (best.size() != device)
            best = best.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        best.setDevicePixelRatio(scale);
        return best;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        return size_.scaled(size, Qt::KeepAspectRatio).boundedTo(size_);
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {size_}; }

    QString key() const override { return QStringLiteral("resized"); }
    QIconEngine* clone() const override { return new ResizedEngine(source_, size_); }

private:
    QIcon source_;
    QSize size_;
};

} // namespace

QSize naturalImageSize(const QIcon& image)
{
    if (image.isNull())
        return {};
    QSize best;
    for (const QSize& size : image.availableSizes()) {
        if (size.width() * size.height() > best.width() * best.height())
            best = size;
    }
    if (best.isValid() && !best.isEmpty())
        return best;
    return image.actualSize(QSize(largeBox, largeBox));
}

void paintFilling(QPainter& painter, const QIcon& image, const QRect& box)
{
    const QSize natural = image.actualSize(box.size());
    if (natural.isEmpty() || natural.width() >= box.width() || natural.height() >= box.height()) {
        image.paint(&painter, box);
        return;
    }
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const qreal scale = std::min(box.width() / qreal(natural.width()), box.height() / qreal(natural.height()));
    const QSize shown = (QSizeF(natural) * scale).toSize();
    // Asked for its own size at a higher pixel ratio, a scalable image is
    // drawn at the pixels the box needs; a fixed one comes at its own.
    QPixmap pixmap = image.pixmap(natural, ratio * scale);
    if (pixmap.isNull())
        return;
    const QSize device = (QSizeF(shown) * ratio).toSize();
    if (pixmap.size() != device)
        pixmap = pixmap.scaled(device, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    pixmap.setDevicePixelRatio(ratio);
    const QRect target(box.x() + (box.width() - shown.width()) / 2, box.y() + (box.height() - shown.height()) / 2,
                       shown.width(), shown.height());
    painter.drawPixmap(target, pixmap);
}

QIcon tinted(const QIcon& image, const std::optional<QColor>& colour)
{
    if (!colour || image.isNull())
        return image;
    QIcon copy(new TintedEngine(image, *colour));
    copy.setIsMask(false);
    return copy;
}

std::optional<QIcon> resized(const QIcon& image, int width, int height)
{
    if (image.isNull() || width <= 0 || height <= 0)
        return std::nullopt;
    return QIcon(new ResizedEngine(image, QSize(width, height)));
}

std::optional<QIcon> resizedToFill(const QIcon& image, int width, int height)
{
    const QSize source = naturalImageSize(image);
    // No area means no finite scale factor.
    if (source.isEmpty())
        return std::nullopt;
    const double factor = std::max(double(width) / source.width(), double(height) / source.height());
    return resized(image, int(std::floor(factor * source.width())), int(std::floor(factor * source.height())));
}

} // namespace vantel
