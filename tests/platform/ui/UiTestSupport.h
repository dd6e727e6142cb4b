#pragma once

#include "platform/ui/ScreenProvider.h"
#include "platform/ui/ViewControllerBase.h"
#include "support/TestSupport.h"

#include <QImage>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <ostream>

namespace vantel::test {

// Records the life-cycle calls it receives, with whether its view's window
// was visible at the time.
class RecordingViewController : public platform::ViewControllerBase {
public:
    QStringList calls;
    QSize viewHint{200, 120};

protected:
    QWidget* loadView() override
    {
        auto* view = new QWidget();
        view->setMinimumSize(viewHint);
        return view;
    }
    void viewDidLoad() override { calls << QStringLiteral("viewDidLoad"); }
    void viewWillAppear() override { calls << record(QStringLiteral("viewWillAppear")); }
    void viewDidAppear() override { calls << record(QStringLiteral("viewDidAppear")); }
    void viewWillDisappear() override { calls << record(QStringLiteral("viewWillDisappear")); }
    void viewDidDisappear() override { calls << record(QStringLiteral("viewDidDisappear")); }

private:
    QString record(const QString& name)
    {
        const bool visible = isViewLoaded() && view()->window() != view() && view()->window()->isVisible();
        return name + (visible ? QStringLiteral(" shown") : QStringLiteral(" hidden"));
    }
};

// Two side-by-side screens, the left one primary, with a 30-point panel at
// the top of each; restores Qt's screens when it goes.
class TwoScreens {
public:
    static constexpr QRect leftFrame{0, 0, 1280, 800};
    static constexpr QRect rightFrame{1280, 0, 1920, 1080};

    TwoScreens()
        : provider_(std::make_shared<platform::FixedScreenProvider>(
              QList<platform::ScreenInfo>{
                  {QStringLiteral("left"), leftFrame, leftFrame.adjusted(0, 30, 0, 0)},
                  {QStringLiteral("right"), rightFrame, rightFrame.adjusted(0, 30, 0, 0)}},
              0, QPoint(100, 100)))
    {
        platform::ScreenProvider::setShared(provider_);
    }
    ~TwoScreens() { platform::ScreenProvider::setShared(nullptr); }
    TwoScreens(const TwoScreens&) = delete;
    TwoScreens& operator=(const TwoScreens&) = delete;

    platform::FixedScreenProvider& provider() { return *provider_; }

private:
    std::shared_ptr<platform::FixedScreenProvider> provider_;
};

} // namespace vantel::test

// Readable QStrings in test failures.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
