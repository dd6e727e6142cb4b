// How an entry opens itself: announce the open with "executeTableviewItem",
// then hand it to the item-access layer later on the main queue.
#include "model/TableViewItem.h"

#include "model/ExecutionServices.h"
#include "model/Logger.h"
#include "model/MainViewServices.h"
#include "model/PathUtilities.h"
#include "platform/MainQueue.h"
#include "platform/NotificationCenter.h"

#include <QUrlQuery>

namespace vantel {

namespace {

// Shortcuts URLs are opened as such on every Linux system; there is no older
// system on which they fall back to plain URLs.
constexpr bool shortcutsURLsSupported = true;

void postExecute()
{
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("executeTableviewItem"));
}

void openURLStringLater(const QString& urlString, const std::optional<QVariantList>& arguments)
{
    platform::MainQueue::async([urlString, arguments] {
        if (const auto services = ExecutionServices::shared())
            services->openURLString(urlString, arguments);
    });
}

void executeTag(const QString& tagName)
{
    const auto mainView = MainViewServices::shared();
    if (!mainView)
        return;
    const bool setting = mainView->selectingTagsInMainWindowLaunchAll();
    const auto controller = mainView->viewControllerMain();
    // The Option key inverts the setting.
    const bool launchAll = (controller && controller->modifierFlagsContainOptionKey()) ? !setting : setting;
    if (launchAll) {
        if (const auto services = ExecutionServices::shared())
            services->launchAllEntriesOfTag(tagName);
        return;
    }
    if (mainView->mainWindowState() < MainViewServices::Popover)
        return;
    if (!controller || !controller->hasSectionView())
        return;
    controller->selectItemWithTagName(tagName);
    controller->updateMainTableView();
}

} // namespace

void TableViewItem::execute(const std::optional<QVariantList>& arguments)
{
    const QString currentPath = path();
    const ListviewItemType type = itemType();
    const bool hasScheme = !currentPath.isEmpty() && hasURLScheme(currentPath);

    if (shortcutsURLsSupported && type == ListviewItemType::url && hasScheme
        && itemSource() == ListviewItemSource::shortcuts) {
        const QUrl url(currentPath, QUrl::StrictMode);
        if (!url.isValid())
            return;
        if (url.scheme().isEmpty() || url.scheme().toLower() != QLatin1String("shortcuts"))
            return;
        bool hasInput = false;
        for (const auto& item : QUrlQuery(url).queryItems())
            hasInput = hasInput || item.first.toLower() == QLatin1String("input");
        VLOG(Logger::tableViewItem(), platform::LogType::Default, "execute Shortcut-URL: %{public}@", currentPath);
        postExecute();
        const bool passFiles = !hasInput && arguments && !arguments->isEmpty();
        openURLStringLater(passFiles ? currentPath + QStringLiteral("&input=%%selectedFileObjects%%") : currentPath,
                           arguments);
        return;
    }

    if (type == ListviewItemType::tag) {
        // The tag branch reads and changes the main view: it runs on the main
        // thread, at once when called there.
        if (platform::MainQueue::isMainThread())
            executeTag(currentPath);
        else
            platform::MainQueue::async([currentPath] { executeTag(currentPath); });
        return;
    }

    if (type == ListviewItemType::url && hasScheme) {
        VLOG(Logger::tableViewItem(), platform::LogType::Default, "execute URL: %{public}@", currentPath);
        postExecute();
        openURLStringLater(currentPath, arguments);
        return;
    }

    VLOG(Logger::tableViewItem(), platform::LogType::Default, "execute: %{public}@", currentPath);
    postExecute();
    platform::MainQueue::async([currentPath, arguments, entryName = name()] {
        const auto services = ExecutionServices::shared();
        if (!services)
            return;
        services->readVolumeAttributes(QUrl::fromLocalFile(currentPath));
        services->openPath(currentPath, arguments, entryName);
    });
}

} // namespace vantel
