#include "platform/Bookmark.h"

#include "platform/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QVariantMap>

#include <mutex>

#include <sys/stat.h>
#include <unistd.h>

namespace vantel::platform {

namespace {

constexpr qint64 kVersion = 1;
// A bookmark is a handful of fields; anything much larger is not one of ours.
constexpr qsizetype kMaximumSize = 64 * 1024;

std::mutex g_accessMutex;
QHash<QString, int> g_accessCounts;
int g_accessTotal = 0;

QString absoluteCleanPath(const QString& path)
{
    if (path.isEmpty())
        return {};
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path));
}

bool statPath(const QString& path, struct stat* info)
{
    return ::stat(QFile::encodeName(path).constData(), info) == 0;
}

QString keyFor(const QUrl& url)
{
    return url.isLocalFile() ? Bookmark::canonicalFileURLString(url.toLocalFile()) : url.toString(QUrl::FullyEncoded);
}

bool isInteger(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

void fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

} // namespace

QString Bookmark::canonicalFileURLString(const QString& path)
{
    const QString clean = absoluteCleanPath(path);
    if (clean.isEmpty())
        return {};
    QString text = QUrl::fromLocalFile(clean).toString(QUrl::FullyEncoded);
    if (clean != QStringLiteral("/") && QFileInfo(clean).isDir())
        text += QLatin1Char('/');
    return text;
}

QUrl Bookmark::canonicalFileURL(const QString& path)
{
    const QString text = canonicalFileURLString(path);
    return text.isEmpty() ? QUrl() : QUrl(text, QUrl::StrictMode);
}

std::optional<QByteArray> Bookmark::createBookmark(const QUrl& fileUrl, quint64 options, QString* error)
{
    if (!fileUrl.isLocalFile()) {
        fail(error, QStringLiteral("A bookmark needs a file URL, not \"%1\"").arg(fileUrl.toString()));
        return std::nullopt;
    }
    return createBookmarkForPath(fileUrl.toLocalFile(), options, error);
}

std::optional<QByteArray> Bookmark::createBookmarkForPath(const QString& path, quint64 options, QString* error)
{
    const QString clean = absoluteCleanPath(path);
    if (clean.isEmpty()) {
        fail(error, QStringLiteral("A bookmark needs a path"));
        return std::nullopt;
    }
    struct stat info {};
    if (!statPath(clean, &info)) {
        fail(error, QStringLiteral("The file \"%1\" does not exist").arg(clean));
        return std::nullopt;
    }
    const QVariantMap record{
        {QStringLiteral("v"), kVersion},
        {QStringLiteral("path"), clean},
        // Stored bit for bit: device and inode numbers are unsigned.
        {QStringLiteral("dev"), static_cast<qint64>(info.st_dev)},
        {QStringLiteral("ino"), static_cast<qint64>(info.st_ino)},
        {QStringLiteral("isDir"), S_ISDIR(info.st_mode) != 0},
        {QStringLiteral("options"), static_cast<qint64>(options)},
    };
    QString serializeError;
    const QByteArray data = PropertyList::serialize(record, PropertyList::Format::Binary, &serializeError);
    if (data.isEmpty()) {
        fail(error, QStringLiteral("The bookmark for \"%1\" could not be written: %2").arg(clean, serializeError));
        return std::nullopt;
    }
    return data;
}

Bookmark::Resolution Bookmark::resolveBookmark(const QByteArray& data, quint64 options)
{
    Q_UNUSED(options);
    Resolution result;
    if (data.isEmpty() || data.size() > kMaximumSize) {
        result.error = QStringLiteral("The bookmark data is empty or too large");
        result.malformed = true;
        return result;
    }
    QString parseError;
    const std::optional<QVariant> root = PropertyList::parse(data, &parseError);
    if (!root || root->typeId() != QMetaType::QVariantMap) {
        result.error = QStringLiteral("The bookmark data cannot be read");
        result.malformed = true;
        return result;
    }
    const QVariantMap record = root->toMap();
    const QVariant version = record.value(QStringLiteral("v"));
    const QVariant path = record.value(QStringLiteral("path"));
    const QVariant dev = record.value(QStringLiteral("dev"));
    const QVariant ino = record.value(QStringLiteral("ino"));
    if (!isInteger(version) || version.toLongLong() != kVersion || !isInteger(dev) || !isInteger(ino)
        || path.typeId() != QMetaType::QString || !QDir::isAbsolutePath(path.toString())) {
        result.error = QStringLiteral("The bookmark data is not a valid bookmark");
        result.malformed = true;
        return result;
    }
    const QString filePath = QDir::cleanPath(path.toString());
    struct stat info {};
    if (!statPath(filePath, &info)) {
        result.error = QStringLiteral("The bookmarked file \"%1\" does not exist any more").arg(filePath);
        return result;
    }
    result.url = canonicalFileURL(filePath);
    result.stale = static_cast<qint64>(info.st_dev) != dev.toLongLong()
        || static_cast<qint64>(info.st_ino) != ino.toLongLong();
    return result;
}

bool Bookmark::startAccessing(const QUrl& url)
{
    std::lock_guard lock(g_accessMutex);
    ++g_accessCounts[keyFor(url)];
    ++g_accessTotal;
    return true;
}

void Bookmark::stopAccessing(const QUrl& url)
{
    std::lock_guard lock(g_accessMutex);
    const QString key = keyFor(url);
    auto it = g_accessCounts.find(key);
    // An end without a begin is ignored, so the counts never go negative.
    if (it == g_accessCounts.end())
        return;
    if (--it.value() == 0)
        g_accessCounts.erase(it);
    --g_accessTotal;
}

int Bookmark::accessCount()
{
    std::lock_guard lock(g_accessMutex);
    return g_accessTotal;
}

int Bookmark::accessCount(const QUrl& url)
{
    std::lock_guard lock(g_accessMutex);
    return g_accessCounts.value(keyFor(url));
}

bool Bookmark::isReadable(const QString& path)
{
    return !path.isEmpty() && ::access(QFile::encodeName(path).constData(), R_OK) == 0;
}

bool Bookmark::isReadWritable(const QString& path)
{
    return !path.isEmpty() && ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0;
}

} // namespace vantel::platform
