#include "access/SandboxFileAccessPersistDictionary.h"

#include "access/FileURLs.h"
#include "access/SandboxFileAccess.h"
#include "config/UnreadableData.h"
#include "model/L10n.h"
#include "model/LocalizedStrings.h"
#include "model/Logger.h"
#include "platform/Bookmark.h"
#include "platform/KeyedArchiver.h"
#include "platform/KeyedDictionary.h"
#include "platform/KeyedUnarchiver.h"
#include "platform/LoadAlerts.h"
#include "platform/NotificationCenter.h"
#include "platform/SafeFile.h"
#include "platform/SessionCopy.h"
#include "platform/UserFileRead.h"
#include "platform/XdgPaths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace vantel {

using platform::Bookmark;
using platform::LogType;

const QString SandboxFileAccessPersistDictionary::fileName = QStringLiteral("Bookmarks.dict");

namespace {

// Shown under an alert's message: looked up when shown, not at start-up.
QString alertInformative()
{
    return localized("Error: SandboxFileAccessPersistDictionary");
}

bool resolvesFresh(const QByteArray& data)
{
    const Bookmark::Resolution resolution = Bookmark::resolveBookmark(data, Bookmark::WithSecurityScope);
    return resolution.ok() && !resolution.stale;
}

QUrl rootKey()
{
    return Bookmark::canonicalFileURL(QStringLiteral("/"));
}

// Moves a file that did not load out of the way of the next save, to a name
// beside it that says what and when: "Bookmarks.dict.damaged-<UTC time>".
// Where the path is a link, the file it names is moved. The new name, or none
// when the file could not be moved.
std::optional<QString> keepAside(const QString& path, const QString& reason)
{
    const QString target = platform::writeTargetOf(path);
    const QString stem = target + QStringLiteral(".damaged-")
        + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = stem;
    for (int i = 2; QFileInfo::exists(aside); ++i)
        aside = stem + QLatin1Char('-') + QString::number(i);
    if (QFile::rename(target, aside)) {
        VLOG(Logger::sandboxFileAccessPersistDictionary(), LogType::Error, "%{public}@ (%{public}@) was kept as %{public}@",
             path, reason, aside);
        return aside;
    }
    VLOG(Logger::sandboxFileAccessPersistDictionary(), LogType::Error,
         "%{public}@ (%{public}@) could not be kept aside as %{public}@", path, reason, aside);
    return std::nullopt;
}

} // namespace

std::shared_ptr<SandboxFileAccessPersistDictionary> SandboxFileAccessPersistDictionary::create(const QString& filePath)
{
    auto store = std::make_shared<SandboxFileAccessPersistDictionary>(Private{}, filePath);
    store->globalBookmarks_->setDelegate(store->weak_from_this());
    return store;
}

SandboxFileAccessPersistDictionary::SandboxFileAccessPersistDictionary(Private, const QString& filePath)
    : filePathOverride_(filePath)
    , globalBookmarks_(Dictionary::create())
{
}

QUrl SandboxFileAccessPersistDictionary::keyFor(const QUrl& url)
{
    if (!url.isLocalFile())
        return url;
    const QUrl canonical = Bookmark::canonicalFileURL(url.toLocalFile());
    return canonical.isEmpty() ? url : canonical;
}

QString SandboxFileAccessPersistDictionary::bookmarksFilePath() const
{
    const QString path = filePathOverride_.isEmpty()
        ? QDir(platform::XdgPaths::documentsDir()).filePath(fileName)
        : filePathOverride_;
    VLOG(Logger::sandboxFileAccessPersistDictionary(), LogType::Default, "Path to Bookmark-File: %{public}@", path);
    return path;
}

void SandboxFileAccessPersistDictionary::loadBookmarks()
{
    VLOG(Logger::sandboxFileAccessPersistDictionary(), LogType::Default, "Loading bookmarks");
    globalBookmarks_->removeAll();
    setWriteRefusal({});

    const QString path = bookmarksFilePath();
    if (path.isEmpty())
        return;
    {
        const std::lock_guard lock(refusalMutex_);
        sessionCopy_ = platform::SessionCopy(path);
    }
    platform::removeSafeWriteLeftovers(path);
    tellKeptCopies(path);

    // Alerts found here wait for the end of the launch: this runs inside the
    // access layer's shared-instance initialiser.
    // The alert gives the user's reason, the log the technical one.
    const auto damaged = [&](const QString& message, const QString& shownReason, const QString& reason) {
        globalBookmarks_->removeAll();
        const std::optional<QString> kept = keepAside(path, reason);
        if (kept) {
            const std::lock_guard lock(refusalMutex_);
            readFile_ = platform::FileIdentity::none();
        }
        reportUnreadable(message, path, shownReason, kept);
    };

    const platform::UserFileRead read = platform::readUserFile(path, maximumFileSize);
    {
        const std::lock_guard lock(refusalMutex_);
        readFile_ = read.identity;
    }
    switch (read.status) {
    case platform::UserFileRead::Status::missing:
        return;
    case platform::UserFileRead::Status::notRegularFile:
    case platform::UserFileRead::Status::unreadable:
        // Not damage: left as it is and never written over in this process.
        setWriteRefusal(QStringLiteral("%1 could not be read (%2)").arg(path, read.error));
        platform::LoadAlerts::report(localized("Error loading globalBookmarks from file"),
                                     alertInformative() + QLatin1Char('\n')
                                         + localized("%1 could not be read (%2). It is not written over, so "
                                                          "access granted now is not kept.")
                                               .arg(path, read.error));
        return;
    case platform::UserFileRead::Status::tooLarge:
        damaged(localized("Error loading globalBookmarks from file"), read.error, read.error);
        return;
    case platform::UserFileRead::Status::ok:
        break;
    }

    platform::KeyedUnarchiver::Options options;
    options.maxBytes = maximumFileSize;
    const platform::KeyedUnarchiver::Result result = platform::KeyedUnarchiver::unarchiveTopLevelObject(read.data, options);
    if (!result.ok()) {
        damaged(localized("Error loading globalBookmarks from file -> Wrong Type"), localized("its contents are damaged"),
                QStringLiteral("not a keyed archive: ") + result.message);
        return;
    }
    // Anything but a dictionary counts as an empty store; the file is kept,
    // since the next save would replace it.
    const std::optional<platform::KeyedDictionary> stored = platform::KeyedDictionary::from(result.value);
    if (!stored) {
        damaged(localized("Error loading globalBookmarks from file -> Wrong Type"), localized("its contents are damaged"),
                QStringLiteral("not a dictionary"));
        return;
    }
    // Damage is an entry that is no bookmark (a key naming no file, a value
    // that is not bookmark data): left out, and the file copied whole to the
    // Backup folder before a save can drop it. A bookmark whose file moved
    // or was replaced is sound data and merely stale: left out, not kept.
    qsizetype damagedEntries = 0;
    for (const auto& [key, value] : stored->entries) {
        const QUrl url = key.typeId() == QMetaType::QUrl ? key.toUrl() : QUrl();
        const bool namesAFile = url.isValid() && url.isLocalFile() && QDir::isAbsolutePath(url.toLocalFile());
        Bookmark::Resolution resolution;
        if (value.typeId() == QMetaType::QByteArray)
            resolution = Bookmark::resolveBookmark(value.toByteArray(), Bookmark::WithSecurityScope);
        else
            resolution.malformed = true;
        if (!namesAFile || resolution.malformed) {
            ++damagedEntries;
            VLOG(Logger::sandboxFileAccessPersistDictionary(), LogType::Error,
                 "! Bookmark-Data is invalid an will be removed: %{public}@",
                 url.isValid() ? url.toString() : key.toString());
        } else if (resolution.ok() && !resolution.stale) {
            globalBookmarks_->setValue(value.toByteArray(), url);
            VLOG(Logger::sandboxFileAccessPersistDictionary(), LogType::Default, "+ Bookmark-Data loaded for: %{public}@",
                 url.toString());
        } else {
            VLOG(Logger::sandboxFileAccessPersistDictionary(), LogType::Error,
                 "! Bookmark-Data is invalid an will be removed: %{public}@", url.toString());
        }
    }
    if (damagedEntries > 0)
        keepDamagedCopy(path, read.data,
                        localized("%1 of %2 entries are no bookmark; the others were loaded")
                            .arg(damagedEntries)
                            .arg(stored->entries.size()));
}

void SandboxFileAccessPersistDictionary::keepDamagedCopy(const QString& path, const QByteArray& bytes,
                                                         const QString& reason)
{
    // The good entries stay loaded; the file as it was goes to Backup/ byte
    // for byte. Where no copy could be made, the file is never written over.
    const QString message = localized("Error loading globalBookmarks from file -> Wrong Type");
    const std::optional<QString> copy = UnreadableData::keep(bytes, fileName);
    if (copy)
        VLOG(Logger::sandboxFileAccessPersistDictionary(), LogType::Error,
             "%{public}@ (%{public}@) was copied to %{public}@", path, reason, *copy);
    reportUnreadable(message, path, reason, copy);
}

void SandboxFileAccessPersistDictionary::reportUnreadable(const QString& message, const QString& path,
                                                          const QString& reason, const std::optional<QString>& kept)
{
    if (kept) {
        platform::LoadAlerts::report(message, alertInformative() + QLatin1Char('\n')
                                                  + localized("%1 could not be read (%2); it was kept as %3.")
                                                        .arg(path, reason, *kept));
        return;
    }
    setWriteRefusal(QStringLiteral("%1 could not be read (%2) nor moved aside").arg(path, reason));
    platform::LoadAlerts::report(message, alertInformative() + QLatin1Char('\n')
                                              + localized("%1 could not be read (%2) nor moved aside; it is "
                                                               "not written over, so access granted now is not kept.")
                                                    .arg(path, reason));
}

QString SandboxFileAccessPersistDictionary::writeRefusal() const
{
    std::lock_guard lock(refusalMutex_);
    return writeRefusal_;
}

void SandboxFileAccessPersistDictionary::setWriteRefusal(const QString& reason)
{
    std::lock_guard lock(refusalMutex_);
    writeRefusal_ = reason;
}

QList<std::pair<QUrl, QByteArray>> SandboxFileAccessPersistDictionary::validEntries() const
{
    // Resolving touches the disk: copy first, so the queue is not held meanwhile.
    QList<std::pair<QUrl, QByteArray>> all;
    globalBookmarks_->forEach([&](const QUrl& url, const QByteArray& data) { all.append({url, data}); });
    // In the order of their addresses: the dictionary's own order changes
    // from one process to the next, and an unchanged store is written the same.
    std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) { return a.first.toString() < b.first.toString(); });
    QList<std::pair<QUrl, QByteArray>> valid;
    for (const auto& entry : std::as_const(all))
        if (resolvesFresh(entry.second))
            valid.append(entry);
    return valid;
}

void SandboxFileAccessPersistDictionary::saveBookmarks()
{
    VLOG(Logger::sandboxFileAccessPersistDictionary(), LogType::Default, "Saving bookmarks");
    const QString path = bookmarksFilePath();

    platform::KeyedDictionary dictionary;
    for (const auto& [url, data] : validEntries()) {
        dictionary.entries.append({QVariant(url), QVariant(data)});
        VLOG(Logger::sandboxFileAccessPersistDictionary(), LogType::Default, "+ Bookmark-Data saved for: %{public}@",
             url.toString());
    }

    QString archiveError;
    const QByteArray archive = platform::KeyedArchiver::archivedData(QVariant::fromValue(dictionary), &archiveError);
    if (archive.isEmpty()) {
        SandboxFileAccess::showAlert(localized("Error saving globalBookmarks to file"), alertInformative());
        return;
    }

    // A file that could not be read is never written over; the user was told
    // when it was found. One that holds another program's bytes is kept as
    // it is, and the saves go to a copy beside it.
    platform::WriteOptions options;
    {
        const std::lock_guard lock(refusalMutex_);
        if (sessionCopy_.isKeeping()) {
            keepApartLocked(path, archive, readFile_.exists, writeRefusal_);
            return;
        }
        if (!writeRefusal_.isEmpty()) {
            VLOG(Logger::sandboxFileAccessPersistDictionary(), LogType::Error, "Bookmarks not saved: %{public}@",
                 writeRefusal_);
            return;
        }
        options.replacing = readFile_;
    }
    const platform::WriteResult written = platform::writeFileSafely(path, archive, options);
    if (written.changedSinceRead) {
        // The user's bookmarks, not the ones this store holds: kept for the next start.
        const std::lock_guard lock(refusalMutex_);
        writeRefusal_ = written.error;
        keepApartLocked(path, archive, options.replacing->exists, written.error);
        return;
    }
    if (written) {
        const std::lock_guard lock(refusalMutex_);
        readFile_ = written.written;
    } else {
        VLOG(Logger::sandboxFileAccessPersistDictionary(), LogType::Error, "Bookmarks not saved: %{public}@",
             written.error);
        SandboxFileAccess::showAlert(L10n::errorExportingAllData_MessageText(),
                                     L10n::errorExportingAllData_ExportFileCouldNotCreated() + QLatin1Char('\n')
                                         + written.error);
    }
}

void SandboxFileAccessPersistDictionary::keepApartLocked(const QString& path, const QByteArray& archive, bool changed,
                                                         const QString& refusal)
{
    if (!sessionCopy_.isKeeping())
        sessionCopy_ = platform::SessionCopy(path);
    const platform::SessionCopy::Kept kept = sessionCopy_.keep(archive, !changed);
    VLOG(Logger::sandboxFileAccessPersistDictionary(), LogType::Error, "Bookmarks not saved: %{public}@; %{public}@",
         refusal,
         kept.written.ok ? QStringLiteral("they were kept in ") + kept.path
                         : QStringLiteral("they could not be kept beside it either: ") + kept.written.error);
    if (kept.isNew) {
        const QString copy = kept.path;
        platform::LoadAlerts::report(
            localized("The bookmarks file changed after the start"),
            (changed ? localized("%1 was changed by another program after Vantel read it. It was kept as it is; "
                                 "restart Vantel to use it. The access granted in this session was saved in %2.")
                     : localized("%1 appeared after Vantel started, when it had found no bookmarks. It was kept as it "
                                 "is; restart Vantel to use it. The access granted in this session was saved in %2."))
                .arg(path, copy),
            [path, copy] { platform::SessionCopy::told(path, copy); });
    } else if (!kept.written.ok && !sessionCopy_.isKeeping()) {
        platform::LoadAlerts::report(
            localized("The bookmarks file changed after the start"),
            (changed ? localized("%1 was changed by another program after Vantel read it. It was kept as it is; "
                                 "restart Vantel to use it. Access granted since is not kept.")
                     : localized("%1 appeared after Vantel started, when it had found no bookmarks. It was kept as it "
                                 "is; restart Vantel to use it. Access granted since is not kept."))
                .arg(path));
    }
}

void SandboxFileAccessPersistDictionary::tellKeptCopies(const QString& path)
{
    for (const platform::SessionCopy::Noted& noted : platform::SessionCopy::notedCopies(path)) {
        const QString copy = noted.copyPath;
        platform::LoadAlerts::report(
            localized("The folder access of the last session was kept in another file"),
            (noted.appeared ? localized("When Vantel last saved the access granted to it, %1 had appeared after the "
                                        "start, so it was kept as it is and is used now. The access granted in that "
                                        "session was saved in %2.")
                            : localized("When Vantel last saved the access granted to it, %1 had been changed by "
                                        "another program, so it was kept as it is and is used now. The access "
                                        "granted in that session was saved in %2."))
                .arg(path, copy),
            [path, copy] { platform::SessionCopy::told(path, copy); });
    }
}

void SandboxFileAccessPersistDictionary::removeAllBookmarks()
{
    globalBookmarks_->removeAll();
}

bool SandboxFileAccessPersistDictionary::hasRootBookmark() const
{
    return globalBookmarks_->value(rootKey()).has_value();
}

void SandboxFileAccessPersistDictionary::removeInvalidBookmarks()
{
    QList<QUrl> invalid;
    globalBookmarks_->forEach([&](const QUrl& url, const QByteArray&) { invalid.append(url); });
    const QList<std::pair<QUrl, QByteArray>> valid = validEntries();
    for (const auto& entry : valid)
        invalid.removeAll(entry.first);
    for (const QUrl& url : std::as_const(invalid)) {
        VLOG(Logger::sandboxFileAccessPersistDictionary(), LogType::Default, "Clear Bookmark for %{public}@",
             url.toString());
        globalBookmarks_->setValue(std::nullopt, url);
    }
}

std::optional<std::pair<QUrl, QByteArray>> SandboxFileAccessPersistDictionary::coveringBookmark(const QUrl& url) const
{
    const QUrl root = rootKey();
    if (const auto data = globalBookmarks_->value(root)) {
        VLOG(Logger::sandboxFileAccessPersistDictionary(), LogType::Default,
             "Searching Bookmark-Data for [%{public}@] - found Root-Bookmark!", url.toString());
        return std::make_pair(root, *data);
    }

    // The URL as given first (keys set by hand may differ from the canonical
    // form), then the canonical form of it and of each ancestor.
    if (const auto data = globalBookmarks_->value(url)) {
        VLOG(Logger::sandboxFileAccessPersistDictionary(), LogType::Default, "%{public}@",
             QStringLiteral("Searching Bookmark-Data for [") + url.toString() + QStringLiteral("] - found: [")
                 + url.toString() + QStringLiteral("]"));
        return std::make_pair(url, *data);
    }
    QString path = FileURLs::cleanPath(url);
    while (path.size() >= 2) {
        const QUrl candidate = keyFor(QUrl::fromLocalFile(path));
        if (const auto data = globalBookmarks_->value(candidate)) {
            VLOG(Logger::sandboxFileAccessPersistDictionary(), LogType::Default, "%{public}@",
                 QStringLiteral("Searching Bookmark-Data for [") + url.toString() + QStringLiteral("] - found: [")
                     + candidate.toString() + QStringLiteral("]"));
            return std::make_pair(candidate, *data);
        }
        path = FileURLs::parentPath(path);
    }
    VLOG(Logger::sandboxFileAccessPersistDictionary(), LogType::Error,
         "Searching Bookmark-Data for [%{public}@] - No Bookmark found!", url.toString());
    return std::nullopt;
}

std::optional<QByteArray> SandboxFileAccessPersistDictionary::bookmarkData(const QUrl& url) const
{
    if (auto found = coveringBookmark(url))
        return found->second;
    return std::nullopt;
}

void SandboxFileAccessPersistDictionary::forEachBookmark(
    const std::function<void(const QUrl& url, const QByteArray& data)>& body) const
{
    globalBookmarks_->forEach([&](const QUrl& url, const QByteArray& data) { body(url, data); });
}

void SandboxFileAccessPersistDictionary::setBookmark(const QByteArray& data, const QUrl& url)
{
    VLOG(Logger::sandboxFileAccessPersistDictionary(), LogType::Default, "Set Bookmark for %{public}@", url.toString());
    globalBookmarks_->setValue(data, keyFor(url));
}

void SandboxFileAccessPersistDictionary::clearBookmark(const QUrl& url)
{
    VLOG(Logger::sandboxFileAccessPersistDictionary(), LogType::Default, "Clear Bookmark for %{public}@", url.toString());
    // A key listed by forEachBookmark is removed as it stands; any other URL
    // by its canonical form.
    const QUrl key = globalBookmarks_->value(url) ? url : keyFor(url);
    globalBookmarks_->setValue(std::nullopt, key);
}

bool SandboxFileAccessPersistDictionary::isBookmarkValid(const std::optional<QUrl>& url) const
{
    if (!url)
        return false;
    std::optional<QByteArray> data = globalBookmarks_->value(*url);
    if (!data)
        data = globalBookmarks_->value(keyFor(*url));
    if (!data)
        return true;
    return resolvesFresh(*data);
}

void SandboxFileAccessPersistDictionary::dictionaryChanged()
{
    VLOG(Logger::sandboxFileAccessPersistDictionary(), LogType::Default, "Bookmarks changed");
    platform::NotificationCenter::defaultCenter().post(QStringLiteral("globalBookmarksChanged"));
}

} // namespace vantel
