#include "platform/UserDefaults.h"

#include "platform/XdgPaths.h"

#include "platform/Log.h"
#include "platform/PropertyList.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QTemporaryFile>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

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

// A save writes "<file>.saving-XXXXXX" first; one killed before its rename
// leaves that behind.
const QString temporarySuffix = QStringLiteral(".saving-");

void removeLeftoverTemporaries(const QString& path)
{
    const QFileInfo info(path);
    QDir folder = info.dir();
    const QStringList leftovers = folder.entryList({info.fileName() + temporarySuffix + QStringLiteral("??????")},
                                                   QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : leftovers)
        folder.remove(name);
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
    removeLeftoverTemporaries(filePath_);
    QFile file(filePath_);
    if (!file.exists())
        return;
    if (QFileInfo(filePath_).isDir()) {
        VLOG(Log::defaultHandle(), LogType::Error, "The settings file %{public}@ is a folder; starting with the defaults",
             filePath_);
        return;
    }
    QString error;
    std::optional<QVariant> root;
    if (file.open(QIODevice::ReadOnly)) {
        root = PropertyList::parse(file.readAll(), &error);
        file.close();
        if (root && root->typeId() == QMetaType::QVariantMap) {
            values_ = root->toMap();
            return;
        }
        if (root)
            error = QStringLiteral("the top level is not a dictionary");
    } else {
        error = file.errorString();
    }
    // Kept for the user to inspect or recover, whatever kept it from being read:
    // the next save would otherwise replace it. The store starts empty.
    const QString aside = asideName(filePath_);
    if (QFile::rename(filePath_, aside)) {
        VLOG(Log::defaultHandle(), LogType::Error,
             "The settings file %{public}@ is damaged (%{public}@), kept as %{public}@; starting with the defaults",
             filePath_, error, aside);
    } else {
        VLOG(Log::defaultHandle(), LogType::Error,
             "The settings file %{public}@ is damaged (%{public}@) and could not be moved aside; starting with the defaults",
             filePath_, error);
    }
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
    QString error;
    const QByteArray data = PropertyList::serialize(values_, PropertyList::Format::Binary, &error);
    if (data.isEmpty())
        return failed(error);
    const QString folder = QFileInfo(filePath_).absolutePath();
    if (!QDir().mkpath(folder))
        return failed(QStringLiteral("cannot create the folder %1").arg(folder));
    // Written beside the file under a name the next start recognises, made
    // durable, then renamed over the file in one step.
    QTemporaryFile file(filePath_ + temporarySuffix + QStringLiteral("XXXXXX"));
    if (!file.open())
        return failed(file.errorString());
    if (file.write(data) != data.size() || !file.flush() || ::fsync(file.handle()) != 0)
        return failed(file.errorString());
    file.setAutoRemove(false);
    const QByteArray temporary = QFile::encodeName(file.fileName());
    file.close();
    if (::rename(temporary.constData(), QFile::encodeName(filePath_).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(QFile::decodeName(temporary));
        return failed(reason);
    }
    dirty_ = false;
    return true;
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
