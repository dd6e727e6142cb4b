#include "platform/SessionCopy.h"

#include "platform/Log.h"
#include "platform/PropertyList.h"
#include "platform/UserFileRead.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QVariantMap>

#include <functional>
#include <mutex>

#include <sys/stat.h>
#include <unistd.h>

namespace vantel::platform {

namespace {

const QLatin1String copyInfix(".session-");
const QLatin1String noteSuffix(".session-note");
const QString nameKey = QStringLiteral("name");
const QString appearedKey = QStringLiteral("appeared");

// The note is read, changed and written whole: one change at a time.
std::mutex& noteMutex()
{
    static std::mutex* const mutex = new std::mutex();
    return *mutex;
}

QString targetOf(const QString& filePath)
{
    return QFileInfo(writeTargetOf(filePath)).absoluteFilePath();
}

bool isThere(const QString& path)
{
    struct stat facts {};
    return ::lstat(QFile::encodeName(path).constData(), &facts) == 0;
}

// Only a name this class gives a copy of `target`: no other file of the
// folder, and nothing outside it, is ever named in an alert from the note.
bool isCopyName(const QString& name, const QString& target)
{
    static const QRegularExpression stamp(QStringLiteral("^\\d{8}-\\d{6}(-\\d{1,3})?$"));
    const QString stem = QFileInfo(target).fileName() + copyInfix;
    return name.startsWith(stem) && stamp.match(QStringView(name).mid(stem.size())).hasMatch();
}

struct Note {
    QList<std::pair<QString, bool>> entries; // a copy's name, and whether the file had appeared
    FileIdentity identity;
    bool writable = true;
};

Note readNoteLocked(const QString& target)
{
    const QString path = target + noteSuffix;
    Note note;
    const UserFileRead read = readUserFile(path, SessionCopy::maximumNoteSize);
    note.identity = read.identity;
    if (read.status == UserFileRead::Status::missing)
        return note;
    const std::optional<QVariant> root = read.ok() ? PropertyList::parse(read.data) : std::nullopt;
    if (!root || root->typeId() != QMetaType::QVariantList) {
        // Ours, not the user's: a damaged one is written over, one that can't be read is left.
        note.writable = read.ok() || read.status == UserFileRead::Status::tooLarge;
        VLOG(Log::defaultHandle(), LogType::Error, "The note %{public}@ is no list of kept copies (%{public}@)", path,
             read.ok() ? QStringLiteral("damaged") : read.error);
        return note;
    }
    for (const QVariant& item : root->toList()) {
        const QVariantMap entry = item.toMap();
        const QString name = entry.value(nameKey).toString();
        if (isCopyName(name, target))
            note.entries.append({name, entry.value(appearedKey).toBool()});
    }
    return note;
}

// The note with `change` made; gone when it names no copy that is still there.
void changeNote(const QString& filePath, const std::function<void(Note&)>& change)
{
    const QString target = targetOf(filePath);
    const QString path = target + noteSuffix;
    const std::lock_guard lock(noteMutex());
    // Another program's change between read and write is read again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        Note note = readNoteLocked(target);
        if (!note.writable)
            return;
        change(note);
        const QString folder = QFileInfo(target).absolutePath();
        note.entries.removeIf([&](const auto& entry) { return !isThere(folder + u'/' + entry.first); });
        if (note.entries.isEmpty()) {
            if (note.identity.exists && ::unlink(QFile::encodeName(path).constData()) != 0)
                VLOG(Log::defaultHandle(), LogType::Error, "The note %{public}@ could not be removed", path);
            return;
        }
        QVariantList list;
        for (const auto& [name, appeared] : std::as_const(note.entries))
            list.append(QVariantMap{{nameKey, name}, {appearedKey, appeared}});
        WriteOptions options;
        options.replacing = note.identity;
        options.createFolder = false;
        const WriteResult written = writeFileSafely(path, PropertyList::serialize(list), options);
        if (written.ok)
            return;
        if (!written.changedSinceRead) {
            VLOG(Log::defaultHandle(), LogType::Error, "The note %{public}@ could not be written: %{public}@", path,
                 written.error);
            return;
        }
    }
}

} // namespace

SessionCopy::SessionCopy(const QString& filePath)
    : filePath_(filePath)
{
}

SessionCopy::Kept SessionCopy::keep(const QByteArray& data, bool appeared)
{
    Kept kept;
    if (!path_.isEmpty()) {
        WriteOptions options;
        options.replacing = written_;
        kept.written = writeFileSafely(path_, data, options);
        if (kept.written.ok) {
            written_ = kept.written.written;
            kept.path = path_;
            return kept;
        }
        if (!kept.written.changedSinceRead)
            return kept;
        // The copy itself holds another program's bytes now: a new one.
        path_.clear();
    }
    const QString target = targetOf(filePath_);
    const NewFileWrite copy = writeNewFileSafely(
        target + copyInfix + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss")), QString(),
        data, false);
    kept.written = copy.written;
    if (!copy.written.ok)
        return kept;
    path_ = copy.path;
    written_ = copy.written.written;
    kept.path = copy.path;
    kept.isNew = true;
    const QString name = QFileInfo(copy.path).fileName();
    changeNote(filePath_, [&](Note& note) { note.entries.append({name, appeared}); });
    return kept;
}

void SessionCopy::forget()
{
    path_.clear();
    written_ = FileIdentity::none();
}

QList<SessionCopy::Noted> SessionCopy::notedCopies(const QString& filePath)
{
    const QString target = targetOf(filePath);
    const QString folder = QFileInfo(target).absolutePath();
    QList<Noted> noted;
    const std::lock_guard lock(noteMutex());
    for (const auto& [name, appeared] : readNoteLocked(target).entries) {
        const QString copy = folder + u'/' + name;
        if (isThere(copy))
            noted.append({copy, appeared});
    }
    return noted;
}

void SessionCopy::told(const QString& filePath, const QString& copyPath)
{
    const QString name = QFileInfo(copyPath).fileName();
    changeNote(filePath, [&](Note& note) { note.entries.removeIf([&](const auto& entry) { return entry.first == name; }); });
}

} // namespace vantel::platform
