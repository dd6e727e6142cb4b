#pragma once

#include "platform/SafeFile.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace vantel::platform {

// Where a store's saves go once its file holds another program's bytes: what
// the save would have written is kept beside that file under a new name that
// replaces nothing ("<file>.session-<UTC time>", numbered when taken), and
// the store's later saves replace that copy. Until the user was told of the
// copy, a note beside the file ("<file>.session-note") names it, so a refusal
// at the quit, whose alert no one saw, is told at the next start. Where the
// path is a link, both lie beside the file it names. Not thread-safe: its
// store's lock guards it; the note's functions are safe from any thread.
class SessionCopy {
public:
    explicit SessionCopy(const QString& filePath);

    struct Kept {
        WriteResult written;
        QString path; // the copy, when written
        bool isNew = false; // a copy made now, of which the user is yet to hear
    };
    // Writes `data` to the copy, made on the first call (or when the copy
    // itself was replaced since), and notes a new copy. `appeared`: the file
    // appeared after a load that found none, rather than being changed.
    Kept keep(const QByteArray& data, bool appeared);
    bool isKeeping() const { return !path_.isEmpty(); }
    QString path() const { return path_; }
    // The store reads its file again: the next refusal makes a new copy.
    void forget();

    struct Noted {
        QString copyPath;
        bool appeared = false;
        bool operator==(const Noted&) const = default;
    };
    // The copies the note beside `filePath` names that are still there; a
    // note that is damaged or names anything but such a copy counts for none.
    static QList<Noted> notedCopies(const QString& filePath);
    // The user was told of `copyPath`: it leaves the note, and the note goes
    // with its last copy.
    static void told(const QString& filePath, const QString& copyPath);

    // A note is a few names; a larger one is no note of ours.
    static constexpr qint64 maximumNoteSize = 64 << 10;

private:
    QString filePath_;
    QString path_;
    FileIdentity written_;
};

} // namespace vantel::platform
