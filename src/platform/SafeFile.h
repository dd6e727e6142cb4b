#pragma once

#include "platform/FileIdentity.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace vantel::platform {

// The one routine that writes a user's file. The data goes to a temporary
// beside the file ("<file>.saving-XXXXXX"; for a name too long for that, a
// short stem of it and a digest), is written whole and checked, fsync'ed,
// renamed over the file, and the folder is fsync'ed (a folder that can't be
// is logged: the file is in place). On any failure the old file stays as it
// was, the temporary is removed and the reason is returned; nothing counts as
// written that is not on disk. A symbolic link is kept: the write goes beside
// the file it points to. A link the kernel won't follow to its end (a loop, a
// chain of more than 40) is refused with ELOOP's reason and left as it is.
// Told what its store read (WriteOptions::replacing), a write replaces only
// that file, one that holds the same bytes, or none: a file with other bytes
// that is there instead is left as it is.
struct WriteResult {
    bool ok = false;
    QString error; // why it failed, in the user's language for an alert; empty on success
    // Failed because another file than the one the store read is there now.
    bool changedSinceRead = false;
    // The file as written: what the store has read from now on.
    FileIdentity written = {};

    explicit operator bool() const { return ok; }
};

struct WriteOptions {
    // Mode of a file that does not exist yet; an existing file keeps its own.
    int newFileMode = 0600;
    // Create the folder (0700) when it is missing.
    bool createFolder = true;
    // What the store found at the file when it read it (none for a missing
    // file, or a new name that must stay new): only that file or one with its
    // bytes is replaced, or a missing one made. Unset: whatever is there is replaced (an export
    // to a file the user chose).
    std::optional<FileIdentity> replacing;
};

WriteResult writeFileSafely(const QString& path, const QByteArray& data, const WriteOptions& options = {});

// Writes `data` under a name no file has: `stem` + `suffix`, else with
// "-2", "-3"... after the stem, never replacing a file (a name taken
// meanwhile is passed over). `path` is the name written, when written.
struct NewFileWrite {
    WriteResult written;
    QString path;
};
NewFileWrite writeNewFileSafely(const QString& stem, const QString& suffix, const QByteArray& data,
                                bool createFolder = true);

// The file a write to `path` replaces: the link's target when `path` is a
// symbolic link (followed to the end as the kernel follows it, the folders on
// the way resolved), else `path` itself; `path` too when the links loop.
QString writeTargetOf(const QString& path);

// Removes what an interrupted write to `path` left behind: only the names
// the routine makes (its stem, infix and six random letters or digits), and
// only those no write holds: a write keeps its temporary locked (flock) until
// the rename, so another process's write in progress is spared.
void removeSafeWriteLeftovers(const QString& path);

// The suffix of the temporaries, for code that must recognise them.
inline constexpr const char* safeWriteTemporaryInfix = ".saving-";

} // namespace vantel::platform
