#include "platform/ui/ScreenProvider.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <limits>

namespace vantel::platform {

namespace {

class QtScreenProvider final : public ScreenProvider {
public:
    QList<ScreenInfo> screens() const override
    {
        QList<ScreenInfo> result;
        if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            return result;
        for (const QScreen* screen : QGuiApplication::screens())
            result.append({screen->name(), screen->geometry(), screen->availableGeometry()});
        return result;
    }

    int primaryIndex() const override
    {
        if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
            return -1;
        return int(QGuiApplication::screens().indexOf(QGuiApplication::primaryScreen()));
    }

    QPoint pointerPosition() const override { return QCursor::pos(); }
};

std::shared_ptr<ScreenProvider>& installed()
{
    static std::shared_ptr<ScreenProvider> provider;
    return provider;
}

} // namespace

ScreenProvider& ScreenProvider::shared()
{
    if (const auto& provider = installed())
        return *provider;
    static QtScreenProvider qtProvider;
    return qtProvider;
}

void ScreenProvider::setShared(std::shared_ptr<ScreenProvider> provider)
{
    installed() = std::move(provider);
}

std::optional<ScreenInfo> ScreenProvider::mainScreen() const
{
    const QList<ScreenInfo> all = screens();
    const int index = primaryIndex();
    if (index < 0 || index >= all.size())
        return std::nullopt;
    return all.at(index);
}

std::optional<ScreenInfo> ScreenProvider::firstScreen() const
{
    const QList<ScreenInfo> all = screens();
    if (all.isEmpty())
        return std::nullopt;
    return all.first();
}

std::optional<ScreenInfo> ScreenProvider::screenContaining(const QPoint& point) const
{
    for (const ScreenInfo& screen : screens())
        if (screen.frame.contains(point))
            return screen;
    return std::nullopt;
}

std::optional<ScreenInfo> ScreenProvider::screenFor(const QRect& rect) const
{
    const QList<ScreenInfo> all = screens();
    std::optional<ScreenInfo> best;
    qint64 bestArea = 0;
    for (const ScreenInfo& screen : all) {
        const QRect overlap = screen.frame.intersected(rect);
        const qint64 area = qint64(overlap.width()) * overlap.height();
        if (area > bestArea) {
            bestArea = area;
            best = screen;
        }
    }
    if (best)
        return best;
    if (const auto containing = screenContaining(rect.center()))
        return containing;
    qint64 bestDistance = std::numeric_limits<qint64>::max();
    for (const ScreenInfo& screen : all) {
        const QPoint c = rect.center();
        const qint64 dx = qMax(qMax(screen.frame.left() - c.x(), c.x() - screen.frame.right()), 0);
        const qint64 dy = qMax(qMax(screen.frame.top() - c.y(), c.y() - screen.frame.bottom()), 0);
        const qint64 distance = dx * dx + dy * dy;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = screen;
        }
    }
    return best ? best : mainScreen();
}

} // namespace vantel::platform
