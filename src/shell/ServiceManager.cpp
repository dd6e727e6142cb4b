#include "shell/ServiceManager.h"

#include "model/Logger.h"
#include "shell/AppDelegate.h"

#include <QStringList>

#include <algorithm>

namespace vantel {

void ServiceManager::serviceAddFile(const QVariant& filenames)
{
    VLOG(Logger::general(), platform::LogType::Default, "Got called from Finder-Service ...");
    QStringList paths;
    if (filenames.typeId() == QMetaType::QStringList) {
        paths = filenames.toStringList();
    } else if (filenames.typeId() == QMetaType::QVariantList) {
        const QVariantList items = filenames.toList();
        const bool allStrings = std::all_of(items.cbegin(), items.cend(),
                                            [](const QVariant& item) { return item.typeId() == QMetaType::QString; });
        if (!allStrings)
            return;
        for (const QVariant& item : items)
            paths << item.toString();
    } else {
        return;
    }
    VLOG(Logger::general(), platform::LogType::Default, "Finder-Service provided some content ...");
    // The result goes nowhere: the sender is not waiting for it.
    AppDelegate::shared().openFilesInMainView(paths);
}

} // namespace vantel
