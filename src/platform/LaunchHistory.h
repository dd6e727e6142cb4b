#pragma once

#include "platform/DesktopEntryIndex.h"

#include <QDateTime>
#include <QHash>
#include <QString>

#include <memory>
#include <optional>

namespace vantel::platform {

// When each application was last used, so that the recent applications are
// known again after a restart. Two sources: the launches this program saw
// (its own, and running applications it noticed), kept in a small property
// list of its own (one date per application path, the newest
// maximumPaths), and the applications the desktop's recently-used list
// ($XDG_DATA_HOME/recently-used.xbel) says opened a file.
//
// Thread-safe. The file is read once, by the first reader or by the worker
// before its first write, and only its newest maximumPaths dates are kept; a
// record never reads the file, so a launch costs the same however long the
// file grew. A record is written on a worker through the safe-write routine,
// a burst of records once. A damaged file is kept aside and the history
// starts empty; one that can't be read for another reason (a folder in its
// place, a file of another owner) is never written over in this process.
// Where the file can't be read or written, or its folder can't be written,
// the user is told once (LoadAlerts) and the launches are kept in memory
// until the program ends. A stored value that is no date of use (invalid,
// before 1970, past the year 9999) is dropped alone.
class LaunchHistory {
public:
    static constexpr qsizetype maximumPaths = 500;
    // Larger own files are damaged; the desktop's list is not read beyond it.
    static constexpr qint64 maximumFileSize = 16ll << 20;

    // The last use of applications as known at one moment, for a scan.
    class Dates {
    public:
        // The later of this program's record for the path and the desktop's
        // list, which names applications by desktop ID, program or name.
        std::optional<QDateTime> lastUsedDate(const IndexedApplication& application) const;
        bool isEmpty() const { return recorded_.isEmpty() && desktop_.isEmpty(); }

    private:
        friend class LaunchHistory;
        QHash<QString, QDateTime> recorded_; // path -> date
        QHash<QString, QDateTime> desktop_;  // "id:", "program:" or "name:" and a lower-case key -> date
    };

    // The program's history: LaunchHistory.plist in the data folder.
    static LaunchHistory& shared();
    // Replaces the program's history (tests start it again on its file); nullptr
    // goes back to the standard one.
    static void setShared(std::shared_ptr<LaunchHistory> history);
    static QString standardFilePath();
    static QString standardRecentlyUsedPath();

    LaunchHistory(QString filePath, QString recentlyUsedPath);
    // Waits for a pending write.
    ~LaunchHistory();
    LaunchHistory(const LaunchHistory&) = delete;
    LaunchHistory& operator=(const LaunchHistory&) = delete;

    // The application (its desktop file) was launched or seen starting.
    // A date older than the one kept changes nothing, nor one that is no date of use.
    void record(const QString& applicationPath, const QDateTime& when = QDateTime::currentDateTimeUtc());
    // Reads the file on first use, as dates() does.
    std::optional<QDateTime> recordedDate(const QString& applicationPath) const;
    // The desktop's list is read here: call it off the main thread.
    Dates dates() const;
    // Waits until every record is written; false when the last write failed.
    bool synchronize();

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace vantel::platform
