#pragma once

#include <QColor>
#include <QList>

namespace vantel {

// The fixed colours of the swatch rows, in one place. The ten named colours
// stand in for the desktop's system colours, which Linux does not define.
enum class SystemColor { red, green, blue, yellow, orange, pink, gray, teal, brown, purple };

QColor systemColor(SystemColor which);

// The ten colours of the tag swatch rows, in their order: red, green, blue,
// yellow, orange, pink, gray, teal, brown, purple.
QList<QColor> systemSwatchColors();

// The eighteen colours of the entry swatch rows: a bright row of nine and a
// muted row of nine.
QList<QColor> entrySwatchColors();

// The clear colour: fully transparent, which shows nothing. A colour control
// treats it like no colour at all.
QColor clearColor();
bool isClearColor(const QColor& color);

// A short English name for a swatch's accessible name ("red", "light blue").
QString colorDescription(const QColor& color);

} // namespace vantel
