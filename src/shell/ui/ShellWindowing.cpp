#include "shell/ui/ShellWindowing.h"

#include "config/SystemConfiguration.h"
#include "mainwindow/MainViewController.h"
#include "platform/ui/UiCatalog.h"
#include "shell/VantelWindowEnum.h"
#include "shell/ui/MainWindowController.h"
#include "shell/ui/MenuManager.h"
#include "shell/ui/WidgetWindowSystem.h"

#include <QApplication>
#include <QEvent>
#include <QStyle>
#include <QTimer>

namespace vantel {

namespace {

// A new style or desktop theme may bring another small-icon size: the
// sidebar reads it again once the change has reached every window.
class DesktopChangeWatcher : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if ((type == QEvent::ThemeChange || type == QEvent::StyleChange) && watched->isWidgetType()
            && static_cast<QWidget*>(watched)->isWindow() && !pending_) {
            pending_ = true;
            QTimer::singleShot(0, this, [this] {
                pending_ = false;
                SystemConfiguration::shared().desktopChanged();
            });
        }
        return false;
    }

private:
    bool pending_ = false;
};

} // namespace

void ShellWindowing::install()
{
    WindowSystem::setShared(std::make_shared<WidgetWindowSystem>());

    // The sidebar's size follows the desktop's size for small icons.
    SystemConfiguration::shared().setDesktopSmallIconSize(
        [] { return qApp ? QApplication::style()->pixelMetric(QStyle::PM_SmallIconSize) : 0; });
    if (qApp)
        qApp->installEventFilter(new DesktopChangeWatcher(qApp));

    VantelWindowEnum::InterfaceLoader loader;
    loader.windowController = [](const QString& storyboard, const QString& identifier) {
        return platform::UiCatalog::main().instantiateAs<WindowController>(storyboard, identifier);
    };
    loader.viewController = [](const QString& storyboard, const QString& identifier) {
        return platform::UiCatalog::main().instantiateAs<ViewController>(storyboard, identifier);
    };
    VantelWindowEnum::setInterfaceLoader(std::move(loader));

    platform::UiCatalog::main().registerFactory(
        VantelWindowEnum::getStoryBoardAsString(VantelWindowEnum::main),
        VantelWindowEnum::getWindowControllerIdentifier(VantelWindowEnum::main),
        [] { return std::make_shared<MainWindowController>(); });
    mainwindow::MainViewController::registerInterface();
    mainwindow::MainViewController::setMainMenuProvider([] { return MenuManager::shared().getMainMenu(); });
}

} // namespace vantel
