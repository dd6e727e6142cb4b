#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace vantel {

// Data that could not be read is never simply dropped: before a stored key is
// removed or a list replaced, its bytes go to the Backup folder under a name
// that says what it was and when ("TagData-20260102-130405.unreadable"). The
// extension keeps such files out of the versioned backups and their pruning.
namespace UnreadableData {

// The Backup folder in the application's documents folder, created when
// missing; none when it can't be created.
std::optional<QString> backupFolderPath();

// Writes the bytes aside; the path written, or none when nothing could be kept.
std::optional<QString> keep(const QByteArray& bytes, const QString& what);

// The sentence an alert adds so the user knows where the bytes went.
QString whereKeptText(const std::optional<QString>& path);

// Removes what killed writes left in the Backup folder: the safe writer's
// temporaries and those of the earlier writer ("<name>.XXXXXX" beside a
// backup or a kept file). Run once at each start.
void removeWriteLeftovers();

} // namespace UnreadableData

} // namespace vantel
