#pragma once

#include <QColor>
#include <QIcon>
#include <QSize>

#include <optional>

class QPainter;
class QRect;

namespace vantel {

// The size an image shows at when nothing asks for another: its largest
// pixmap, or the size a scalable one offers for a large box. Empty for a
// null image.
QSize naturalImageSize(const QIcon& image);

// Paints the image filling the box (keeping its proportions, centred), also
// one that offers only smaller sizes, as theme icons in fixed-size folders
// do: a scalable one is drawn anew at the box's size, another is stretched.
void paintFilling(QPainter& painter, const QIcon& image, const QRect& box);

// A copy in which every painted pixel takes `colour` and keeps its own
// opacity; transparent pixels stay transparent. No colour gives the image
// itself; a full-colour image (see platform::isSymbolicImage) is drawn as it
// is. The copy is never a mask, so the style does not recolour it again.
QIcon tinted(const QIcon& image, const std::optional<QColor>& colour);

// The image redrawn at width x height. It keeps the source and draws it each
// time it is rendered, at that rendering's resolution, so nothing is copied
// now. None for a null image.
std::optional<QIcon> resized(const QIcon& image, int width, int height);

// The image scaled, aspect ratio kept, to the smallest size that covers the
// box, each side rounded down. None for a null image or one without area.
std::optional<QIcon> resizedToFill(const QIcon& image, int width, int height);

} // namespace vantel
