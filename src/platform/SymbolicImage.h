#pragma once

class QIcon;
class QImage;

namespace vantel::platform {

// Whether an image is a symbol: drawn in one colour, or in one colour and
// an accent, as symbolic and monochrome icon themes draw theirs. Only such
// an image may take a tint; tinting a full-colour icon (shading, many
// colours) turns it into a solid blot. Opacity is left out of the colours,
// so anti-aliased edges and half-transparent parts count as their colour.
bool isSymbolicImage(const QImage& image);
// The same for an icon, drawn at a middling size. A null icon is none.
bool isSymbolicImage(const QIcon& icon);

} // namespace vantel::platform
