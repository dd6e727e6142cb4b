#pragma once

#include "model/TableViewItem.h"
#include "model/iconTag.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace vantel {

class Configuration;
class SandboxFileAccessProtocol;

// A plain-text report of the application's state for a problem report:
// version, main settings, search scopes, discovered applications, every
// entry, the tags, the stored bookmarks and all hotkeys. The caller runs the
// section builders in order, then saveToFile. Main thread.
class ExportDiagnosticData {
public:
    // Over the configuration's store; the bookmarks of the given store, or
    // of the access layer's when none is given.
    explicit ExportDiagnosticData(Configuration& config, std::shared_ptr<SandboxFileAccessProtocol> bookmarks = nullptr);

    const QStringList& exportData() const { return exportData_; }
    const QString divider = QString(62, QLatin1Char('-'));

    void addAppInfo();
    void addConfiguration();
    void addSearchScopes();
    void addSpotlightData();
    void addMainDatabase();
    void addTags();
    void addBookmarks();
    void addHotkeys();
    // Asks for the file and writes the report; a failed write is shown.
    void saveToFile();
    // The report as written: the lines joined by a line feed, none at the end.
    QString text() const;
    bool writeToFile(const QString& path, QString* error) const;

    static QList<TableViewItemPtr> sortItemsByName(QList<TableViewItemPtr> items);
    static QList<iconTagPtr> sortTagsByName(QList<iconTagPtr> tags);

private:
    void addFrame(const QString& title, bool blankAfter = true);

    Configuration& config_;
    std::shared_ptr<SandboxFileAccessProtocol> bookmarks_;
    QStringList exportData_;
};

} // namespace vantel
