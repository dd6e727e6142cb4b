#pragma once

#include <QString>
#include <QUrl>
#include <QVariantList>

#include <memory>
#include <optional>

namespace vantel {

// What an entry needs to open itself: the opening of the item-access layer
// (OpenObject, launching all entries of a tag, the volume check before an
// open by path) and the file viewer. The item-access layer installs its
// implementation at launch; without one, opens are dropped.
class ExecutionServices {
public:
    virtual ~ExecutionServices() = default;

    // `selectedObjects`: the files handed over (paths), passed on as they are.
    virtual void openURLString(const QString& urlString, const std::optional<QVariantList>& selectedObjects) = 0;
    virtual void readVolumeAttributes(const QUrl& fileUrl) = 0;
    // `entryName`: the entry's name as the user sees it, for what is said
    // when the path is gone.
    virtual void openPath(const QString& path, const std::optional<QVariantList>& selectedObjects,
                          const QString& entryName) = 0;
    virtual void launchAllEntriesOfTag(const QString& tagName) = 0;
    // Shows the item selected in the file viewer; answers whether that worked.
    virtual bool selectFile(const QString& path) = 0;
    // Whether the application entry at the path is running.
    virtual bool isApplicationRunning(const QString& applicationPath) = 0;

    static std::shared_ptr<ExecutionServices> shared();
    static void setShared(std::shared_ptr<ExecutionServices> services);
};

} // namespace vantel
