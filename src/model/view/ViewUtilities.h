#pragma once

#include <QImage>
#include <QPalette>
#include <QStringList>

class QMimeData;
class QWidget;

namespace vantel {

// Drag types a view registers, in the pasteboard's own terms.
inline const QString fileURLDragType = QStringLiteral("public.file-url");
inline const QString urlDragType = QStringLiteral("public.url");
inline const QString plainTextDragType = QStringLiteral("public.utf8-plain-text");

// An image of the widget's area (the drag image of a row). A widget that is
// marked as a table row is captured on the control background colour, and its
// own background is put back afterwards. A widget of zero size gives a 1x1
// transparent image, never a null one.
QImage snapshotImage(QWidget* view, bool isTableRow = false);

// Whether every item of the drag offers one of the registered types. Each URL
// is one item (a file URL offers the file-URL type, any other URL the URL
// type); text that is not just the URLs' own text is one more item. An empty
// drag is accepted.
bool acceptsDraggedFiles(const QStringList& registeredTypes, const QMimeData* dragData);

// Dark when the palette's window colour is dark.
bool isDark(const QPalette& palette);

} // namespace vantel
