#include "markdown/SystemAppearance.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPalette>

namespace vantel {

namespace {

constexpr qreal kFallbackFontSize = 10.0;

bool haveGui()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}

qreal pointSizeOf(const QFont& font)
{
    return font.pointSizeF() > 0 ? font.pointSizeF() : kFallbackFontSize;
}

} // namespace

QString SystemAppearance::systemFontFamily()
{
    if (!haveGui())
        return QString();
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

qreal SystemAppearance::systemFontSize()
{
    if (!haveGui())
        return kFallbackFontSize;
    return pointSizeOf(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
}

qreal SystemAppearance::smallSystemFontSize()
{
    const qreal regular = systemFontSize();
    if (!haveGui())
        return regular - 1;
    const qreal small = pointSizeOf(QFontDatabase::systemFont(QFontDatabase::SmallestReadableFont));
    // Some platforms answer the regular size here; small must be smaller.
    return small < regular ? small : regular - 1;
}

QString SystemAppearance::monospacedFontFamily()
{
    if (!haveGui())
        return QString();
    return QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
}

QColor SystemAppearance::labelColor()
{
    if (!haveGui())
        return QColor(Qt::black);
    return QGuiApplication::palette().color(QPalette::Active, QPalette::WindowText);
}

QColor SystemAppearance::linkColor()
{
    if (!haveGui())
        return QColor(Qt::blue);
    return QGuiApplication::palette().color(QPalette::Active, QPalette::Link);
}

bool SystemAppearance::hasFontFamily(const QString& family)
{
    if (!haveGui() || family.isEmpty())
        return false;
    return QFontDatabase::hasFamily(family);
}

} // namespace vantel
