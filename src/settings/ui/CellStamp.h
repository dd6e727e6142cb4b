#pragma once

class QPainter;
class QRect;
class QWidget;

namespace vantel::settingsui {

// Paints a hidden widget into a table cell: the cells of the configuration
// lists draw their token fields, recorders and stars with the very controls
// that edit them, without a widget per row. The stamp is resized to the rect
// and rendered with its children.
void renderStamp(QWidget& stamp, QPainter& painter, const QRect& rect);

} // namespace vantel::settingsui
