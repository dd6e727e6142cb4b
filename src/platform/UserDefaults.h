#pragma once

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include "platform/FileIdentity.h"
#include "platform/SessionCopy.h"

#include <optional>

namespace vantel::platform {

// The program's settings: a typed store kept as a binary property list, so a
// Bool stays a Bool, an Int an Int and a Double a Double across a restart.
// Reads and writes are safe from any thread. Changes reach the disk through
// synchronize(), which writes the file safely (writeFileSafely: the old file
// stays unless the new one is whole on disk; a symbolic link stays and its
// target is replaced); the standard store also writes itself when the
// application quits. A damaged file is renamed aside (never deleted) and the
// store starts empty; a file that can't be read for another reason (no
// permission, an I/O error, not a regular file) is left alone and never
// written over in this process. Either, and a folder that can't be written,
// is told to the user once through LoadAlerts. Leftovers of a save that never
// finished are removed. A save replaces only the file the load read (or one
// holding the same bytes), or makes one where the load found none: a file
// that appeared since (a drive mounted after the start) or that holds another
// program's bytes is kept as it is, and this save and every later one go to a
// copy beside it (SessionCopy). The user is told at once which file was kept
// and where the settings went, or at the next start when no one saw it.
class UserDefaults {
public:
    // $XDG_CONFIG_HOME/Vantel/<bundle id>.plist
    static UserDefaults& standard();
    static QString standardFilePath();

    explicit UserDefaults(const QString& filePath);
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    QString filePath() const;

    // A missing key, or a value of a type that doesn't convert, gives the fallback.
    // Numbers convert among themselves; strings holding a number convert to it.
    bool boolForKey(const QString& key, bool fallback = false) const;
    qint64 integerForKey(const QString& key, qint64 fallback = 0) const;
    double doubleForKey(const QString& key, double fallback = 0) const;
    float floatForKey(const QString& key, float fallback = 0) const;
    std::optional<QString> stringForKey(const QString& key) const;
    QStringList stringArrayForKey(const QString& key) const;          // an array holding a non-string -> empty
    std::optional<QByteArray> dataForKey(const QString& key) const;   // not data -> none
    std::optional<QVariantMap> dictionaryForKey(const QString& key) const;
    QVariant objectForKey(const QString& key) const;

    void setBool(bool value, const QString& key);
    void setInteger(qint64 value, const QString& key);
    void setDouble(double value, const QString& key);
    void setFloat(float value, const QString& key);
    void setString(const QString& value, const QString& key);
    void setStringArray(const QStringList& value, const QString& key);
    void setData(const QByteArray& value, const QString& key);
    void setDictionary(const QVariantMap& value, const QString& key);
    // A null value removes the key; a value a property list cannot hold is
    // refused with a log line and leaves the store as it was.
    void setObject(const QVariant& value, const QString& key);
    void removeObject(const QString& key);
    bool contains(const QString& key) const;

    // Writes pending changes atomically; false, with a logged reason, when the
    // file could not be written (the previous file then stays as it was).
    bool synchronize();
    // Reads the file again; changes not yet synchronized are dropped.
    void reload();
    // Why this store won't write its file (it could not be read); empty when it will.
    QString writeRefusal() const;

    // A settings file is a few kilobytes; a larger one is damaged.
    static constexpr qint64 maximumFileSize = 64ll << 20;

private:
    bool writeLocked(bool logFailures);
    void loadLocked();
    // The alert gives the user's reason, the log the technical one.
    void keepDamagedAsideLocked(const QString& shownReason, const QString& reason);
    void checkFolderWritableLocked();
    // Writes to the copy beside a file that is another program's; false.
    bool keepApartLocked(const QByteArray& data, bool changed, const QString& refusal, bool logFailures);
    // The copies of an earlier session the user has not heard of.
    void tellKeptCopiesLocked();
    void store(const QString& key, QVariant value);

    mutable QMutex mutex_;
    QString filePath_;
    QVariantMap values_;
    bool dirty_ = false;
    QString writeRefusal_;
    // What the load found at the file, then what the last save wrote.
    FileIdentity readFile_;
    SessionCopy sessionCopy_;
};

} // namespace vantel::platform
