#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

#include <memory>
#include <optional>

namespace vantel::platform {

struct ScreenInfo {
    QString name;
    // The whole screen and the part that panels leave free, in global
    // coordinates.
    QRect frame;
    QRect availableFrame;

    bool operator==(const ScreenInfo& other) const = default;
};

// The screens and the pointer, behind an interface so tests can set up two
// screens and put the pointer anywhere. The shared provider asks Qt.
// Main thread only.
class ScreenProvider {
public:
    virtual ~ScreenProvider() = default;

    static ScreenProvider& shared();
    // Replaces the shared provider; nullptr restores the one that asks Qt.
    static void setShared(std::shared_ptr<ScreenProvider> provider);

    // In the system's order; may be empty (no screen attached).
    virtual QList<ScreenInfo> screens() const = 0;
    // Index of the primary screen in screens(), -1 when there is none.
    virtual int primaryIndex() const = 0;
    virtual QPoint pointerPosition() const = 0;

    std::optional<ScreenInfo> screenWithMouse() const { return screenContaining(pointerPosition()); }
    std::optional<ScreenInfo> mainScreen() const;
    std::optional<ScreenInfo> firstScreen() const;
    std::optional<ScreenInfo> screenContaining(const QPoint& point) const;
    // The screen that holds most of the rectangle, else the one nearest to
    // its centre, else the main screen.
    std::optional<ScreenInfo> screenFor(const QRect& rect) const;
};

// A fixed set of screens and a pointer that tests move.
class FixedScreenProvider : public ScreenProvider {
public:
    FixedScreenProvider(QList<ScreenInfo> screens, int primaryIndex, QPoint pointer)
        : screens_(std::move(screens)), primary_(primaryIndex), pointer_(pointer)
    {
    }

    QList<ScreenInfo> screens() const override { return screens_; }
    int primaryIndex() const override { return primary_; }
    QPoint pointerPosition() const override { return pointer_; }

    void setScreens(QList<ScreenInfo> screens, int primaryIndex)
    {
        screens_ = std::move(screens);
        primary_ = primaryIndex;
    }
    void setPointerPosition(QPoint pointer) { pointer_ = pointer; }

private:
    QList<ScreenInfo> screens_;
    int primary_;
    QPoint pointer_;
};

} // namespace vantel::platform
