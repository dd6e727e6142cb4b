#include "platform/LaunchHistory.h"

#include "platform/DispatchQueue.h"
#include "platform/ErrorReasons.h"
#include "platform/LoadAlerts.h"
#include "platform/LocalizedStrings.h"
#include "platform/Log.h"
#include "platform/PropertyList.h"
#include "platform/SafeFile.h"
#include "platform/UserFileRead.h"
#include "platform/XdgPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QXmlStreamReader>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace vantel::platform {

namespace {

const LogCategory& historyLog()
{
    static const LogCategory category("launchHistory");
    return category;
}

const QString bookmarkNamespace = QStringLiteral("http://www.freedesktop.org/standards/desktop-bookmarks");

// Programs that only start another one: their name tells nothing of the application.
bool isLauncherProgram(const QString& name)
{
    static const QStringList launchers{QStringLiteral("env"), QStringLiteral("flatpak"), QStringLiteral("snap"),
                                       QStringLiteral("sh"), QStringLiteral("bash"), QStringLiteral("python3"),
                                       QStringLiteral("python"), QStringLiteral("gio"), QStringLiteral("xdg-open")};
    return name.isEmpty() || launchers.contains(name);
}

QString programName(const QString& program)
{
    return QFileInfo(program).fileName().toLower();
}

// A time something was used: after 1970 and no later than an ISO date can
// name. Outside that range a stored value is a placeholder or damage (the
// largest 64-bit number of seconds, say), not a date.
bool isDateOfUse(const QDateTime& date)
{
    static const QDateTime latest(QDate(9999, 12, 31), QTime(23, 59, 59, 999), Qt::UTC);
    return date.isValid() && date.toMSecsSinceEpoch() > 0 && date <= latest;
}

// GLib writes "2024-03-01T09:15:02.123456Z"; Qt reads milliseconds.
std::optional<QDateTime> parseBookmarkDate(QString text)
{
    const qsizetype dot = text.indexOf(u'.');
    if (dot >= 0) {
        qsizetype end = dot + 1;
        while (end < text.size() && text[end].isDigit())
            ++end;
        text = text.left(dot) + text.mid(dot, std::min<qsizetype>(end - dot, 4)) + text.mid(end);
    }
    QDateTime date = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!isDateOfUse(date))
        return std::nullopt;
    return date.toUTC();
}

void takeLater(QHash<QString, QDateTime>& dates, const QString& key, const QDateTime& date)
{
    auto it = dates.find(key);
    if (it == dates.end())
        dates.insert(key, date);
    else if (*it < date)
        *it = date;
}

// What the desktop's list says: for each application named in it, the last
// time it registered a file, under its name and its program.
QHash<QString, QDateTime> readRecentlyUsed(const QByteArray& data)
{
    QHash<QString, QDateTime> dates;
    QXmlStreamReader xml(data);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("application")
            || xml.namespaceUri() != bookmarkNamespace)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        std::optional<QDateTime> date = parseBookmarkDate(attributes.value(QStringLiteral("modified")).toString());
        if (!date) {
            // The older form: seconds since 1970.
            bool ok = false;
            const qint64 seconds = attributes.value(QStringLiteral("timestamp")).toLongLong(&ok);
            const QDateTime stamped = ok ? QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC) : QDateTime();
            if (isDateOfUse(stamped))
                date = stamped;
        }
        if (!date)
            continue;
        const QString name = attributes.value(QStringLiteral("name")).toString().trimmed();
        if (!name.isEmpty()) {
            takeLater(dates, QStringLiteral("id:") + name.toLower(), *date);
            takeLater(dates, QStringLiteral("name:") + name.toLower(), *date);
        }
        // "'gedit %u'": the program is the first word inside the quotes.
        QString exec = attributes.value(QStringLiteral("exec")).toString().trimmed();
        if (exec.size() >= 2 && exec.startsWith(u'\'') && exec.endsWith(u'\''))
            exec = exec.mid(1, exec.size() - 2);
        const QString program = programName(exec.section(u' ', 0, 0, QString::SectionSkipEmpty));
        if (!isLauncherProgram(program)) {
            takeLater(dates, QStringLiteral("id:") + program, *date);
            takeLater(dates, QStringLiteral("program:") + program, *date);
        }
    }
    if (xml.hasError())
        VLOG(historyLog(), LogType::Error, "The desktop's recently-used list is damaged after some entries: %{public}@",
             xml.errorString());
    return dates;
}

// The program an entry's Exec runs, past "env" and its assignments.
QString execProgram(const DesktopEntry& entry)
{
    const auto arguments = entry.execArguments();
    if (!arguments)
        return {};
    for (const QString& argument : *arguments) {
        const QString name = programName(argument);
        if (name == u"env" || argument.startsWith(u'-') || argument.contains(u'='))
            continue;
        return isLauncherProgram(name) ? QString() : name;
    }
    return {};
}

// Keeps the `count` newest dates; ties fall either way.
void keepNewest(QHash<QString, QDateTime>& dates, qsizetype count)
{
    if (dates.size() <= count)
        return;
    std::vector<QHash<QString, QDateTime>::const_iterator> order;
    order.reserve(size_t(dates.size()));
    for (auto it = dates.cbegin(); it != dates.cend(); ++it)
        order.push_back(it);
    std::nth_element(order.begin(), order.begin() + count, order.end(),
                     [](const auto& a, const auto& b) { return *b < *a; });
    QHash<QString, QDateTime> newest;
    newest.reserve(count);
    for (auto it = order.cbegin(); it != order.cbegin() + count; ++it)
        newest.insert((*it).key(), (*it).value());
    dates.swap(newest);
}

} // namespace

std::optional<QDateTime> LaunchHistory::Dates::lastUsedDate(const IndexedApplication& application) const
{
    std::optional<QDateTime> latest;
    const auto consider = [&latest](const QHash<QString, QDateTime>& dates, const QString& key) {
        const auto it = dates.constFind(key);
        if (it != dates.constEnd() && (!latest || *latest < *it))
            latest = *it;
    };
    consider(recorded_, application.path);
    if (desktop_.isEmpty())
        return latest;
    QString stem = application.desktopId.toLower();
    if (stem.endsWith(QStringLiteral(".desktop")))
        stem.chop(8);
    consider(desktop_, QStringLiteral("id:") + stem);
    const QString program = execProgram(application.entry);
    if (!program.isEmpty())
        consider(desktop_, QStringLiteral("program:") + program);
    const QString name = application.entry.name().trimmed().toLower();
    if (!name.isEmpty())
        consider(desktop_, QStringLiteral("name:") + name);
    return latest;
}

struct LaunchHistory::State {
    QString filePath;
    QString recentlyUsedPath;
    std::shared_ptr<DispatchQueue> queue =
        DispatchQueue::create(QStringLiteral("net.tarnwick.vantel.launchHistory"), DispatchQueue::Kind::Serial);

    // Held only for short, bounded steps: a record never waits for the file.
    mutable QMutex mutex;
    bool loaded = false;
    // At most maximumPaths; before the load, only what was recorded since.
    QHash<QString, QDateTime> recorded;
    bool writeQueued = false;
    bool lastWriteOk = true;
    QString writeRefusal; // why the file is never written over
    // What the load found at the file, then what the last write wrote.
    FileIdentity readFileIdentity;
    bool notKeptTold = false; // the user heard once that launches are not kept

    // One load at a time, read and parsed outside `mutex`.
    std::mutex loadMutex;

    // The desktop's list as last read, and what told it apart.
    qint64 recentlyUsedModified = -1;
    qint64 recentlyUsedSize = -1;
    QHash<QString, QDateTime> desktop;

    // Reads the file once, on the calling thread: the worker's or a reader's.
    void ensureLoaded();
    // The newest dates of the file; sets writeRefusal when it must not be
    // written over, and readFileIdentity.
    QHash<QString, QDateTime> readFile();
    // The alert gives the user's reason, the log the technical one.
    void keepDamagedAside(const QString& shownReason, const QString& reason);
    // Told at the load, as a write would fail: where the file can't be written.
    void checkFolderWritable();
    // Once per history: the launches are remembered in memory only.
    void tellNotKept(const QString& messageText, const QString& informativeText);
    void writeNow();
    // The desktop's list, read again only when it changed; parsed unlocked.
    QHash<QString, QDateTime> recentlyUsed();
};

void LaunchHistory::State::ensureLoaded()
{
    {
        const QMutexLocker lock(&mutex);
        if (loaded)
            return;
    }
    const std::lock_guard loading(loadMutex);
    {
        const QMutexLocker lock(&mutex);
        if (loaded)
            return;
    }
    QHash<QString, QDateTime> stored = readFile();
    // Cut before the lock: a long file must not hold up a launch's record.
    keepNewest(stored, maximumPaths);
    const QMutexLocker lock(&mutex);
    // What was recorded meanwhile is newer unless the file says otherwise.
    for (auto it = recorded.cbegin(); it != recorded.cend(); ++it)
        takeLater(stored, it.key(), it.value());
    keepNewest(stored, maximumPaths);
    recorded.swap(stored);
    loaded = true;
}

QHash<QString, QDateTime> LaunchHistory::State::readFile()
{
    removeSafeWriteLeftovers(filePath);
    const UserFileRead read = readUserFile(filePath, maximumFileSize);
    {
        const QMutexLocker lock(&mutex);
        readFileIdentity = read.identity;
    }
    switch (read.status) {
    case UserFileRead::Status::missing:
        checkFolderWritable();
        return {};
    case UserFileRead::Status::notRegularFile:
    case UserFileRead::Status::unreadable: {
        // Not damage: left as it is (a folder, a file of another owner) and
        // never written over in this process.
        const QString refusal = QStringLiteral("%1 could not be read (%2)").arg(filePath, read.error);
        VLOG(historyLog(), LogType::Error, "%{public}@; the launches seen now are not kept", refusal);
        {
            const QMutexLocker lock(&mutex);
            writeRefusal = refusal;
        }
        tellNotKept(localized("The list of recent applications could not be read"),
                    localized("%1 could not be read (%2). It is not written over; applications used now are "
                              "remembered only until Vantel quits.")
                        .arg(filePath, read.error));
        return {};
    }
    case UserFileRead::Status::tooLarge:
        keepDamagedAside(read.error, read.error);
        return {};
    case UserFileRead::Status::ok:
        break;
    }
    QString error;
    const std::optional<QVariant> root = PropertyList::parse(read.data, &error);
    if (!root || root->typeId() != QMetaType::QVariantMap) {
        keepDamagedAside(localized("its contents are damaged"),
                         root ? QStringLiteral("the top level is not a dictionary") : error);
        return {};
    }
    QHash<QString, QDateTime> stored;
    const QVariantMap map = root->toMap();
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        // A value of another kind, or no date of use, is dropped alone: the rest is still good.
        if (it.value().typeId() == QMetaType::QDateTime && !it.key().isEmpty()
            && isDateOfUse(it.value().toDateTime()))
            stored.insert(it.key(), it.value().toDateTime());
    }
    keepNewest(stored, maximumPaths);
    checkFolderWritable();
    return stored;
}

void LaunchHistory::State::keepDamagedAside(const QString& shownReason, const QString& reason)
{
    const QString target = writeTargetOf(filePath);
    const QString stem = target + QStringLiteral(".damaged-")
        + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = stem;
    for (int i = 2; QFileInfo::exists(aside); ++i)
        aside = stem + QLatin1Char('-') + QString::number(i);
    if (!QFile::rename(target, aside)) {
        {
            const QMutexLocker lock(&mutex);
            writeRefusal = QStringLiteral("%1 is damaged and could not be moved aside").arg(filePath);
        }
        LoadAlerts::report(localized("The list of recent applications was damaged"),
                           localized("%1 could not be read (%2) nor moved aside. Applications used now are not "
                                     "remembered after a restart.")
                               .arg(filePath, shownReason));
        return;
    }
    {
        const QMutexLocker lock(&mutex);
        readFileIdentity = FileIdentity::none();
    }
    VLOG(historyLog(), LogType::Error, "%{public}@ is damaged (%{public}@), kept as %{public}@", filePath, reason, aside);
    LoadAlerts::report(localized("The list of recent applications was damaged"),
                       localized("%1 could not be read (%2). It was kept as %3; the recent applications start anew.")
                           .arg(filePath, shownReason, aside));
}

void LaunchHistory::State::checkFolderWritable()
{
    QString folder = QFileInfo(writeTargetOf(filePath)).absolutePath();
    // A folder not made yet is made by the first write, in the nearest that exists.
    while (!QFileInfo(folder).isDir()) {
        const QString parent = QFileInfo(folder).absolutePath();
        if (parent == folder)
            return;
        folder = parent;
    }
    // Judged as the write is: by the effective user.
    if (::faccessat(AT_FDCWD, QFile::encodeName(folder).constData(), W_OK | X_OK, AT_EACCESS) == 0)
        return;
    const QString reason = reasonForErrno(errno);
    VLOG(historyLog(), LogType::Error, "The folder %{public}@ can't be written (%{public}@)", folder, reason);
    tellNotKept(localized("The list of recent applications can't be kept"),
                localized("The folder %1 can't be written (%2): applications used now are remembered only until "
                          "Vantel quits.")
                    .arg(folder, reason));
}

void LaunchHistory::State::tellNotKept(const QString& messageText, const QString& informativeText)
{
    {
        const QMutexLocker lock(&mutex);
        if (std::exchange(notKeptTold, true))
            return;
    }
    LoadAlerts::report(messageText, informativeText);
}

void LaunchHistory::State::writeNow()
{
    ensureLoaded();
    {
        const QMutexLocker lock(&mutex);
        writeQueued = false;
    }
    WriteResult written;
    // Another file than the one read (a drive mounted since, another
    // program's write) is read and merged before anything replaces it; a
    // file that keeps changing under each merge is left alone.
    for (int attempt = 0; attempt < 3; ++attempt) {
        QVariantMap snapshot;
        WriteOptions options;
        {
            const QMutexLocker lock(&mutex);
            if (!writeRefusal.isEmpty())
                return;
            for (auto it = recorded.cbegin(); it != recorded.cend(); ++it)
                snapshot.insert(it.key(), it.value());
            options.replacing = readFileIdentity;
        }
        QString error;
        const QByteArray data = PropertyList::serialize(snapshot, PropertyList::Format::Binary, &error);
        if (data.isEmpty()) {
            written = WriteResult();
            written.error = error;
        } else {
            written = writeFileSafely(filePath, data, options);
        }
        if (!written.changedSinceRead)
            break;
        VLOG(historyLog(), LogType::Default, "%{public}@ changed since it was read: its dates are merged first",
             filePath);
        QHash<QString, QDateTime> stored = readFile();
        const QMutexLocker lock(&mutex);
        for (auto it = recorded.cbegin(); it != recorded.cend(); ++it)
            takeLater(stored, it.key(), it.value());
        keepNewest(stored, maximumPaths);
        recorded.swap(stored);
    }
    if (written) {
        const QMutexLocker lock(&mutex);
        readFileIdentity = written.written;
    } else {
        VLOG(historyLog(), LogType::Error, "The launch history could not be written to %{public}@: %{public}@", filePath,
             written.error);
        // The launches stay in memory, and the next record tries again.
        tellNotKept(localized("The list of recent applications can't be kept"),
                    localized("%1 could not be written (%2): applications used now are remembered only until "
                              "Vantel quits.")
                        .arg(filePath, written.error));
    }
    const QMutexLocker lock(&mutex);
    lastWriteOk = written.ok;
}

QHash<QString, QDateTime> LaunchHistory::State::recentlyUsed()
{
    const QFileInfo info(recentlyUsedPath);
    const qint64 modified = info.isFile() ? info.lastModified().toMSecsSinceEpoch() : -1;
    const qint64 size = info.isFile() ? info.size() : -1;
    {
        const QMutexLocker lock(&mutex);
        if (modified == recentlyUsedModified && size == recentlyUsedSize)
            return desktop;
    }
    QHash<QString, QDateTime> dates;
    if (modified >= 0) {
        const UserFileRead read = readUserFile(recentlyUsedPath, maximumFileSize);
        if (read.ok())
            dates = readRecentlyUsed(read.data);
    }
    const QMutexLocker lock(&mutex);
    recentlyUsedModified = modified;
    recentlyUsedSize = size;
    desktop = dates;
    return dates;
}

namespace {

std::mutex& sharedMutex()
{
    static std::mutex mutex;
    return mutex;
}

// Never destroyed: the program waits for its writes when it quits
// (synchronize), not in the static destructors, when the workers may be gone.
std::shared_ptr<LaunchHistory>& sharedSlot()
{
    static auto* const history = new std::shared_ptr<LaunchHistory>;
    return *history;
}

} // namespace

LaunchHistory& LaunchHistory::shared()
{
    const std::lock_guard lock(sharedMutex());
    std::shared_ptr<LaunchHistory>& slot = sharedSlot();
    if (!slot)
        slot = std::make_shared<LaunchHistory>(standardFilePath(), standardRecentlyUsedPath());
    return *slot;
}

void LaunchHistory::setShared(std::shared_ptr<LaunchHistory> history)
{
    const std::lock_guard lock(sharedMutex());
    // A replaced history lives on: callers may still hold a reference to it.
    static auto* const replaced = new QList<std::shared_ptr<LaunchHistory>>;
    if (sharedSlot())
        replaced->append(sharedSlot());
    sharedSlot() = std::move(history);
}

QString LaunchHistory::standardFilePath()
{
    return XdgPaths::documentsDir() + QStringLiteral("/LaunchHistory.plist");
}

QString LaunchHistory::standardRecentlyUsedPath()
{
    return XdgPaths::dataHome() + QStringLiteral("/recently-used.xbel");
}

LaunchHistory::LaunchHistory(QString filePath, QString recentlyUsedPath)
    : state_(std::make_shared<State>())
{
    state_->filePath = std::move(filePath);
    state_->recentlyUsedPath = std::move(recentlyUsedPath);
}

LaunchHistory::~LaunchHistory()
{
    synchronize();
}

void LaunchHistory::record(const QString& applicationPath, const QDateTime& when)
{
    if (applicationPath.isEmpty() || !isDateOfUse(when))
        return;
    const QString path = QDir::cleanPath(applicationPath);
    const QDateTime date = when.toUTC();
    {
        // Not loaded yet: the worker loads before it writes, and the later
        // of the two dates stays. Either way this step is bounded.
        const QMutexLocker lock(&state_->mutex);
        auto it = state_->recorded.find(path);
        if (it != state_->recorded.end() && *it >= date)
            return;
        state_->recorded.insert(path, date);
        if (state_->recorded.size() > maximumPaths) {
            auto oldest = state_->recorded.begin();
            for (auto candidate = state_->recorded.begin(); candidate != state_->recorded.end(); ++candidate)
                if (*candidate < *oldest)
                    oldest = candidate;
            state_->recorded.erase(oldest);
        }
        if (state_->writeQueued)
            return;
        state_->writeQueued = true;
    }
    // Held by the block: a write queued just before the end still lands.
    state_->queue->async([state = state_] { state->writeNow(); });
}

std::optional<QDateTime> LaunchHistory::recordedDate(const QString& applicationPath) const
{
    state_->ensureLoaded();
    const QMutexLocker lock(&state_->mutex);
    const auto it = state_->recorded.constFind(QDir::cleanPath(applicationPath));
    if (it == state_->recorded.constEnd())
        return std::nullopt;
    return *it;
}

LaunchHistory::Dates LaunchHistory::dates() const
{
    Dates dates;
    dates.desktop_ = state_->recentlyUsed();
    state_->ensureLoaded();
    const QMutexLocker lock(&state_->mutex);
    dates.recorded_ = state_->recorded;
    return dates;
}

bool LaunchHistory::synchronize()
{
    state_->queue->sync([] {});
    const QMutexLocker lock(&state_->mutex);
    return state_->lastWriteOk && state_->writeRefusal.isEmpty();
}

} // namespace vantel::platform
