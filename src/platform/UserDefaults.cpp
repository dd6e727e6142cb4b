#include "platform/UserDefaults.h"

#include "platform/XdgPaths.h"

#include "platform/ErrorReasons.h"
#include "platform/LoadAlerts.h"
#include "platform/LocalizedStrings.h"
#include "platform/Log.h"
#include "platform/PropertyList.h"
#include "platform/SafeFile.h"
#include "platform/UserFileRead.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <limits>

#include <sys/stat.h>
#include <unistd.h>

namespace vantel::platform {

namespace {

std::optional<double> numberOf(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? 1.0 : 0.0;
    case QMetaType::LongLong:
        return double(value.toLongLong());
    case QMetaType::ULongLong:
        return double(value.toULongLong());
    case QMetaType::Double:
        return value.toDouble();
    case QMetaType::QString: {
        bool ok = false;
        const double number = value.toString().trimmed().toDouble(&ok);
        if (ok)
            return number;
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

// A fresh name beside the file: "<name>.damaged-<time>", numbered when taken.
QString asideName(const QString& path)
{
    const QString stem = path + QStringLiteral(".damaged-")
        + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString candidate = stem;
    for (int i = 2; QFileInfo::exists(candidate); ++i)
        candidate = stem + QLatin1Char('-') + QString::number(i);
    return candidate;
}

QString backupFolderText()
{
    return localized("Versioned backups of the configuration are in %1.")
        .arg(XdgPaths::documentsDir() + QStringLiteral("/Backup"));
}

// The folder the file is written to, or the nearest one that exists.
QString nearestExistingFolder(QString folder)
{
    while (!folder.isEmpty() && !QFileInfo(folder).isDir()) {
        const QString parent = QFileInfo(folder).absolutePath();
        if (parent == folder)
            break;
        folder = parent;
    }
    return folder;
}

// A link on the way to the folder whose target is not there (a drive not
// mounted yet): no save can make the folder through it.
struct DanglingLink {
    QString link;
    QString target;
    int error = 0;
};

std::optional<DanglingLink> danglingLinkOnTheWay(QString folder)
{
    while (!folder.isEmpty()) {
        const QByteArray name = QFile::encodeName(folder);
        struct stat info {};
        if (::stat(name.constData(), &info) == 0)
            return std::nullopt;
        const int error = errno;
        if (::lstat(name.constData(), &info) == 0 && S_ISLNK(info.st_mode))
            return DanglingLink{folder, QFileInfo(folder).symLinkTarget(), error};
        const QString parent = QFileInfo(folder).absolutePath();
        if (parent == folder)
            break;
        folder = parent;
    }
    return std::nullopt;
}

} // namespace

QString UserDefaults::standardFilePath()
{
    return XdgPaths::settingsFile();
}

UserDefaults& UserDefaults::standard()
{
    static UserDefaults* instance = [] {
        // Never destroyed: other statics may still read settings while the program ends.
        auto* defaults = new UserDefaults(standardFilePath());
        if (auto* app = QCoreApplication::instance()) {
            QObject::connect(app, &QCoreApplication::aboutToQuit, app, [defaults] { defaults->synchronize(); });
        }
        return defaults;
    }();
    return *instance;
}

UserDefaults::UserDefaults(const QString& filePath)
    : filePath_(filePath)
    , sessionCopy_(filePath)
{
    QMutexLocker lock(&mutex_);
    loadLocked();
}

UserDefaults::~UserDefaults()
{
    QMutexLocker lock(&mutex_);
    if (dirty_)
        writeLocked(false);
}

QString UserDefaults::filePath() const
{
    return filePath_;
}

void UserDefaults::loadLocked()
{
    values_.clear();
    dirty_ = false;
    writeRefusal_.clear();
    sessionCopy_.forget();
    removeSafeWriteLeftovers(filePath_);
    tellKeptCopiesLocked();

    const UserFileRead read = readUserFile(filePath_, maximumFileSize);
    readFile_ = read.identity;
    switch (read.status) {
    case UserFileRead::Status::missing:
        checkFolderWritableLocked();
        return;
    case UserFileRead::Status::notRegularFile:
    case UserFileRead::Status::unreadable:
        // Not damage: the file may be fine once its owner, permissions or disk
        // are. It is neither moved nor ever written over in this process.
        writeRefusal_ = QStringLiteral("%1 could not be read (%2)").arg(filePath_, read.error);
        LoadAlerts::report(localized("The settings could not be read"),
                           localized("%1 could not be read: %2. Vantel starts with the default settings and will "
                                     "not write over that file; changes made now are not kept.")
                               .arg(filePath_, read.error));
        return;
    case UserFileRead::Status::tooLarge:
        keepDamagedAsideLocked(read.error, read.error);
        return;
    case UserFileRead::Status::ok:
        break;
    }
    QString error;
    const std::optional<QVariant> root = PropertyList::parse(read.data, &error);
    if (root && root->typeId() == QMetaType::QVariantMap) {
        values_ = root->toMap();
        checkFolderWritableLocked();
        return;
    }
    keepDamagedAsideLocked(localized("its contents are damaged"),
                           root ? QStringLiteral("the top level is not a dictionary") : error);
}

void UserDefaults::keepDamagedAsideLocked(const QString& shownReason, const QString& reason)
{
    // Kept for the user to inspect or recover: the next save would otherwise
    // replace it. Where the path is a link, the file it names is moved, so the
    // next save writes beside the link's target and the link stays.
    const QString target = writeTargetOf(filePath_);
    const QString aside = asideName(target);
    if (QFile::rename(target, aside)) {
        readFile_ = FileIdentity::none();
        VLOG(Log::defaultHandle(), LogType::Error,
             "The settings file %{public}@ is damaged (%{public}@), kept as %{public}@; starting with the defaults",
             filePath_, reason, aside);
        LoadAlerts::report(localized("The settings file was damaged"),
                           localized("%1 could not be read (%2). It was kept as %3, and Vantel starts with the "
                                     "default settings. %4")
                               .arg(filePath_, shownReason, aside, backupFolderText()));
        checkFolderWritableLocked();
        return;
    }
    writeRefusal_ = QStringLiteral("%1 is damaged and could not be moved aside").arg(filePath_);
    LoadAlerts::report(localized("The settings file was damaged"),
                       localized("%1 could not be read (%2) and could not be moved aside. Vantel starts with the "
                                 "default settings and will not write over that file; changes made now are not "
                                 "kept. %3")
                           .arg(filePath_, shownReason, backupFolderText()));
}

void UserDefaults::checkFolderWritableLocked()
{
    const QString settingsFolder = QFileInfo(writeTargetOf(filePath_)).absolutePath();
    if (const std::optional<DanglingLink> dangling = danglingLinkOnTheWay(settingsFolder)) {
        LoadAlerts::report(localized("The settings can't be kept"),
                           localized("The settings folder %1 can't be reached: the link %2 leads to %3, which is "
                                     "not there (%4). Changes to the settings are not kept. %5")
                               .arg(settingsFolder, dangling->link, dangling->target, reasonForErrno(dangling->error),
                                    backupFolderText()));
        return;
    }
    const QString folder = nearestExistingFolder(settingsFolder);
    if (folder.isEmpty() || ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0)
        return;
    const QString reason = reasonForErrno(errno);
    // The assistant opens while the stored "launchedBefore" is not set: only
    // then does it show again, since nothing can set it now.
    const bool assistantShowsAgain = !values_.value(QStringLiteral("launchedBefore")).toBool();
    LoadAlerts::report(localized("The settings can't be kept"),
                       (assistantShowsAgain ? localized("The folder %1 can't be written (%2): changes to the "
                                                        "settings are lost when Vantel quits, and the first-run "
                                                        "assistant shows again. %3")
                                            : localized("The folder %1 can't be written (%2): changes to the "
                                                        "settings are lost when Vantel quits. %3"))
                           .arg(folder, reason, backupFolderText()));
}

QString UserDefaults::writeRefusal() const
{
    QMutexLocker lock(&mutex_);
    return writeRefusal_;
}

void UserDefaults::reload()
{
    QMutexLocker lock(&mutex_);
    loadLocked();
}

bool UserDefaults::synchronize()
{
    QMutexLocker lock(&mutex_);
    if (!dirty_)
        return true;
    return writeLocked(true);
}

bool UserDefaults::writeLocked(bool logFailures)
{
    const auto failed = [&](const QString& reason) {
        if (logFailures) {
            VLOG(Log::defaultHandle(), LogType::Error, "Cannot write the settings file %{public}@: %{public}@",
                 filePath_, reason);
        }
        return false;
    };
    if (!writeRefusal_.isEmpty() && !sessionCopy_.isKeeping())
        return failed(writeRefusal_);
    QString error;
    const QByteArray data = PropertyList::serialize(values_, PropertyList::Format::Binary, &error);
    if (data.isEmpty())
        return failed(error);
    if (sessionCopy_.isKeeping())
        return keepApartLocked(data, readFile_.exists, writeRefusal_, logFailures);
    WriteOptions options;
    options.replacing = readFile_;
    const WriteResult written = writeFileSafely(filePath_, data, options);
    if (written.changedSinceRead) {
        // The user's file, not the one this store holds: nothing of this
        // process may replace it, and it is used after a restart.
        writeRefusal_ = written.error;
        return keepApartLocked(data, readFile_.exists, written.error, logFailures);
    }
    if (!written)
        return failed(written.error);
    readFile_ = written.written;
    dirty_ = false;
    return true;
}

bool UserDefaults::keepApartLocked(const QByteArray& data, bool changed, const QString& refusal, bool logFailures)
{
    const SessionCopy::Kept kept = sessionCopy_.keep(data, !changed);
    if (logFailures) {
        VLOG(Log::defaultHandle(), LogType::Error, "Cannot write the settings file %{public}@: %{public}@; %{public}@",
             filePath_, refusal,
             kept.written.ok ? QStringLiteral("the settings were kept in ") + kept.path
                             : QStringLiteral("they could not be kept beside it either: ") + kept.written.error);
    }
    if (kept.written.ok)
        dirty_ = false;
    if (kept.isNew) {
        const QString file = filePath_;
        const QString copy = kept.path;
        LoadAlerts::report(localized("The settings file changed after the start"),
                           (changed ? localized("%1 was changed by another program after Vantel read it. It was kept "
                                                "as it is; restart Vantel to use it. The settings of this session "
                                                "were saved in %2.")
                                    : localized("%1 appeared after Vantel started, when it had found no settings. It "
                                                "was kept as it is; restart Vantel to use it. The settings of this "
                                                "session were saved in %2."))
                               .arg(file, copy),
                           [file, copy] { SessionCopy::told(file, copy); });
    } else if (!kept.written.ok && !sessionCopy_.isKeeping()) {
        LoadAlerts::report(localized("The settings file changed after the start"),
                           (changed ? localized("%1 was changed by another program after Vantel read it. "
                                                "It was kept as it is; restart Vantel to use it. Changes "
                                                "made to the settings since are not kept.")
                                    : localized("%1 appeared after Vantel started, when it had found no "
                                                "settings. It was kept as it is; restart Vantel to use it. "
                                                "Changes made to the settings since are not kept."))
                               .arg(filePath_));
    }
    return false;
}

void UserDefaults::tellKeptCopiesLocked()
{
    for (const SessionCopy::Noted& noted : SessionCopy::notedCopies(filePath_)) {
        const QString file = filePath_;
        const QString copy = noted.copyPath;
        LoadAlerts::report(localized("The settings of the last session were kept in another file"),
                           (noted.appeared ? localized("When Vantel last saved its settings, %1 had appeared after "
                                                       "the start, so it was kept as it is and is used now. The "
                                                       "settings of that session were saved in %2.")
                                           : localized("When Vantel last saved its settings, %1 had been changed by "
                                                       "another program, so it was kept as it is and is used now. The "
                                                       "settings of that session were saved in %2."))
                               .arg(file, copy),
                           [file, copy] { SessionCopy::told(file, copy); });
    }
}

void UserDefaults::store(const QString& key, QVariant value)
{
    QMutexLocker lock(&mutex_);
    values_.insert(key, std::move(value));
    dirty_ = true;
}

bool UserDefaults::boolForKey(const QString& key, bool fallback) const
{
    const QVariant value = objectForKey(key);
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed().toLower();
        if (text == QLatin1String("yes") || text == QLatin1String("true"))
            return true;
        if (text == QLatin1String("no") || text == QLatin1String("false"))
            return false;
    }
    const auto number = numberOf(value);
    return number ? *number != 0 : fallback;
}

qint64 UserDefaults::integerForKey(const QString& key, qint64 fallback) const
{
    const QVariant value = objectForKey(key);
    if (value.typeId() == QMetaType::LongLong)
        return value.toLongLong();
    if (value.typeId() == QMetaType::QString) {
        bool ok = false;
        const qint64 number = value.toString().trimmed().toLongLong(&ok);
        if (ok)
            return number;
    }
    const auto number = numberOf(value);
    if (!number || std::isnan(*number))
        return fallback;
    // Saturate: converting an out-of-range double is undefined.
    if (*number >= 9.2233720368547758e18)
        return std::numeric_limits<qint64>::max();
    if (*number <= -9.2233720368547758e18)
        return std::numeric_limits<qint64>::min();
    return qint64(*number);
}

double UserDefaults::doubleForKey(const QString& key, double fallback) const
{
    return numberOf(objectForKey(key)).value_or(fallback);
}

float UserDefaults::floatForKey(const QString& key, float fallback) const
{
    const auto number = numberOf(objectForKey(key));
    if (!number)
        return fallback;
    if (std::isfinite(*number) && std::fabs(*number) > double(std::numeric_limits<float>::max()))
        return *number > 0 ? std::numeric_limits<float>::infinity() : -std::numeric_limits<float>::infinity();
    return float(*number);
}

std::optional<QString> UserDefaults::stringForKey(const QString& key) const
{
    const QVariant value = objectForKey(key);
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    return std::nullopt;
}

QStringList UserDefaults::stringArrayForKey(const QString& key) const
{
    const QVariant value = objectForKey(key);
    if (value.typeId() != QMetaType::QVariantList)
        return {};
    QStringList strings;
    for (const QVariant& item : value.toList()) {
        if (item.typeId() != QMetaType::QString)
            return {};
        strings.append(item.toString());
    }
    return strings;
}

std::optional<QByteArray> UserDefaults::dataForKey(const QString& key) const
{
    const QVariant value = objectForKey(key);
    if (value.typeId() == QMetaType::QByteArray)
        return value.toByteArray();
    return std::nullopt;
}

std::optional<QVariantMap> UserDefaults::dictionaryForKey(const QString& key) const
{
    const QVariant value = objectForKey(key);
    if (value.typeId() == QMetaType::QVariantMap)
        return value.toMap();
    return std::nullopt;
}

QVariant UserDefaults::objectForKey(const QString& key) const
{
    QMutexLocker lock(&mutex_);
    return values_.value(key);
}

void UserDefaults::setBool(bool value, const QString& key)
{
    store(key, value);
}

void UserDefaults::setInteger(qint64 value, const QString& key)
{
    store(key, value);
}

void UserDefaults::setDouble(double value, const QString& key)
{
    store(key, value);
}

void UserDefaults::setFloat(float value, const QString& key)
{
    // Widening is exact, so floatForKey gives back the very same float.
    store(key, double(value));
}

void UserDefaults::setString(const QString& value, const QString& key)
{
    setObject(value, key);
}

void UserDefaults::setStringArray(const QStringList& value, const QString& key)
{
    setObject(value, key);
}

void UserDefaults::setData(const QByteArray& value, const QString& key)
{
    store(key, value);
}

void UserDefaults::setDictionary(const QVariantMap& value, const QString& key)
{
    setObject(value, key);
}

void UserDefaults::setObject(const QVariant& value, const QString& key)
{
    if (!value.isValid() || value.isNull()) {
        // A null QString or QByteArray is still a value: only a missing one removes.
        if (value.typeId() != QMetaType::QString && value.typeId() != QMetaType::QByteArray) {
            removeObject(key);
            return;
        }
    }
    // Stored the way it will read back after a restart (qint64, double, QVariantList...).
    QString error;
    const std::optional<QVariant> normalised = PropertyList::parse(
        PropertyList::serialize(QVariantList{value}, PropertyList::Format::Binary, &error), &error);
    if (!normalised || normalised->toList().size() != 1) {
        VLOG(Log::defaultHandle(), LogType::Error, "Cannot store the setting %{public}@: %{public}@", key, error);
        return;
    }
    store(key, normalised->toList().constFirst());
}

void UserDefaults::removeObject(const QString& key)
{
    QMutexLocker lock(&mutex_);
    if (values_.remove(key) > 0)
        dirty_ = true;
}

bool UserDefaults::contains(const QString& key) const
{
    QMutexLocker lock(&mutex_);
    return values_.contains(key);
}

} // namespace vantel::platform
