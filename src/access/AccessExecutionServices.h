#pragma once

#include "model/ExecutionServices.h"

#include <functional>

namespace vantel {

// How entries open themselves, for real: through OpenObject, the access
// check and the launch of all entries of a tag.
class AccessExecutionServices final : public ExecutionServices {
public:
    // Installs an instance as the shared execution services.
    static void install();

    void openURLString(const QString& urlString, const std::optional<QVariantList>& selectedObjects) override;
    void readVolumeAttributes(const QUrl& fileUrl) override;
    void openPath(const QString& path, const std::optional<QVariantList>& selectedObjects,
                  const QString& entryName) override;
    void launchAllEntriesOfTag(const QString& tagName) override;
    bool selectFile(const QString& path) override;
    bool isApplicationRunning(const QString& applicationPath) override;

    // Who knows the running applications (the running-applications source
    // registers itself); without one, nothing counts as running.
    static void setRunningApplicationQuery(std::function<bool(const QString& applicationPath)> query);
};

} // namespace vantel
