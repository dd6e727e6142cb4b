#pragma once

#include "config/MainWindowSize.h"
#include "platform/Archivable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace vantel {

namespace platform {
class KeyedUnarchiver;
}

// The root of an export file and of every versioned backup: the stored
// lists and the global hotkey as inner keyed archives (each read on its own,
// so a damaged one spoils nothing else) and the settings that travel with
// them. A new object holds the defaults below; a decoded one holds what the
// file says, with 0, false, 0.0 or the listed fallback for what it lacks.
class ExportImportData : public platform::Archivable {
public:
    std::optional<QByteArray> allDataArchive;
    std::optional<QByteArray> allTagsArchive;
    std::optional<QByteArray> urlTemplateArchive;
    qint64 windowViewStyle = 0;
    qint64 clickType = 0;
    std::optional<QByteArray> globalKeyCombo;
    bool mainPopoverAnimated = false;
    QString alternateFolderBrowser;
    QStringList customSpotlightSearchScope;
    bool searchForComments = true;
    bool searchForTags = true;
    bool selectingTagsInMainWindowLaunchAll = false;
    float entryBackgroundAlphaValue = 0.2f;
    bool useSmallModeInMainView = false;
    bool showPathInMainView = true;
    bool hotkeyBorder = false;
    bool translucentBackgroundRight = false;
    MainWindowHeight mainWindowHeight = MainWindowHeight::height70;
    MainWindowWidth mainWindowWidth = MainWindowWidth::with700;

    // "Vantel.ExportImportData"
    static QString archiveName();
    // Makes the class known to the unarchiver (idempotent, thread-safe).
    static void registerArchiveClass();
    static std::shared_ptr<ExportImportData> initWithCoder(platform::KeyedUnarchiver& coder);

    QString archiveClassName() const override;
    void encode(platform::KeyedArchiver& coder) const override;
};

} // namespace vantel
