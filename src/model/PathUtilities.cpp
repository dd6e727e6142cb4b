#include "model/PathUtilities.h"

#include "model/Logger.h"
#include "platform/Process.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>
#include <QTextStream>

#include <unistd.h>

namespace vantel {

namespace {

QString localPath(const QUrl& fileUrl)
{
    return fileUrl.isLocalFile() ? fileUrl.toLocalFile() : QString();
}

// The keys of a desktop entry's main group, or none when the file is no
// desktop entry. Only what the core needs: Type and the localized Name.
std::optional<QHash<QString, QString>> desktopEntryKeys(const QString& path)
{
    if (!path.endsWith(QLatin1String(".desktop")))
        return std::nullopt;
    QFile file(path);
    if (file.size() > (1 << 20) || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    QTextStream stream(&file);
    QHash<QString, QString> keys;
    bool inMainGroup = false;
    bool sawGroup = false;
    while (!stream.atEnd()) {
        const QString line = stream.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            // The main group must come first.
            if (!sawGroup && line != QLatin1String("[Desktop Entry]"))
                return std::nullopt;
            inMainGroup = !sawGroup;
            sawGroup = true;
            continue;
        }
        if (!inMainGroup)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        if (!keys.contains(key))
            keys.insert(key, line.mid(eq + 1).trimmed());
    }
    if (!sawGroup)
        return std::nullopt;
    return keys;
}

QString localizedName(const QHash<QString, QString>& keys)
{
    const QString locale = QLocale::system().name();  // e.g. de_DE
    const QString language = locale.section(QLatin1Char('_'), 0, 0);
    for (const QString& candidate : {QStringLiteral("Name[%1]").arg(locale), QStringLiteral("Name[%1]").arg(language)})
        if (keys.contains(candidate) && !keys.value(candidate).isEmpty())
            return keys.value(candidate);
    return keys.value(QStringLiteral("Name"));
}

struct MountPoint {
    QString path;
    QString fsType;
};

// The mount that holds the path: the longest mount point that is a prefix.
std::optional<MountPoint> mountFor(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty())
        return std::nullopt;
    QFile mountinfo(QStringLiteral("/proc/self/mountinfo"));
    if (!mountinfo.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    std::optional<MountPoint> best;
    const QList<QByteArray> lines = mountinfo.readAll().split('\n');
    for (const QByteArray& line : lines) {
        // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 7)
            continue;
        const qsizetype dash = fields.indexOf("-");
        if (dash < 0 || dash + 1 >= fields.size())
            continue;
        QString mountPoint = QString::fromUtf8(fields.at(4));
        mountPoint.replace(QLatin1String("\\040"), QLatin1String(" "));
        mountPoint.replace(QLatin1String("\\011"), QLatin1String("\t"));
        mountPoint.replace(QLatin1String("\\012"), QLatin1String("\n"));
        mountPoint.replace(QLatin1String("\\134"), QLatin1String("\\"));
        const bool covers = mountPoint == QLatin1String("/") || canonical == mountPoint
            || canonical.startsWith(mountPoint + QLatin1Char('/'));
        if (covers && (!best || mountPoint.size() >= best->path.size()))
            best = MountPoint{mountPoint, QString::fromUtf8(fields.at(dash + 1))};
    }
    return best;
}

// Splits decoded output into lines; none when it is not valid UTF-8.
QStringList outputLines(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return {};
    const auto isLineTerminator = [](QChar c) {
        return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar(0x0B) || c == QChar(0x0C)
            || c == QChar(0x85) || c == QChar(0x2028) || c == QChar(0x2029);
    };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isLineTerminator(text.at(begin)))
        ++begin;
    while (end > begin && isLineTerminator(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin).split(QLatin1Char('\n'));
}

} // namespace

bool isReachablePath(const QString& path)
{
    if (path.isEmpty())
        return false;
    return QFileInfo::exists(path);
}

bool isExecutablePath(const QString& path)
{
    if (!isReachablePath(path))
        return false;
    return ::access(QFile::encodeName(path).constData(), X_OK) == 0;
}

bool hasURLScheme(const QString& text)
{
    const QString lower = text.toLower();
    if (!lower.contains(QLatin1Char(':')))
        return false;
    for (const QChar c : lower) {
        switch (c.unicode()) {
        case '\n': case '\r': case 0x0B: case 0x0C: case 0x85: case 0x2028: case 0x2029:
            return false;
        default:
            break;
        }
    }
    return true;
}

ExecutableResult runExecutable(const QString& executablePath, const QStringList& arguments)
{
    ExecutableResult result;
    if (!isReachablePath(executablePath))
        return result;
    const platform::Process::Result run = platform::Process::run(executablePath, arguments);
    if (!run.launched) {
        VLOG(Logger::shortcuts(), platform::LogType::Default, "Task creation failed with error: %{public}@ items",
             run.errorDescription);
        return result;
    }
    result.outputLines = outputLines(run.standardOutput);
    result.errorLines = outputLines(run.standardError);
    result.exitStatus = run.exitStatus;
    return result;
}

bool isApplication(const QUrl& fileUrl)
{
    const QString path = localPath(fileUrl);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    const auto keys = desktopEntryKeys(path);
    return keys && keys->value(QStringLiteral("Type")) == QLatin1String("Application");
}

bool isPackage(const QUrl&)
{
    return false;
}

bool isDirectory(const QUrl& fileUrl)
{
    const QString path = localPath(fileUrl);
    return !path.isEmpty() && QFileInfo(path).isDir();
}

bool isRegularFile(const QUrl& fileUrl)
{
    const QString path = localPath(fileUrl);
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool volumeIsLocal(const QUrl& fileUrl)
{
    const QString path = localPath(fileUrl);
    if (path.isEmpty())
        return false;
    const auto mount = mountFor(path);
    if (!mount)
        return false;
    static const QStringList remote{
        QStringLiteral("nfs"), QStringLiteral("nfs4"), QStringLiteral("cifs"), QStringLiteral("smb3"),
        QStringLiteral("smbfs"), QStringLiteral("fuse.sshfs"), QStringLiteral("9p"), QStringLiteral("afs"),
        QStringLiteral("ceph"), QStringLiteral("glusterfs"), QStringLiteral("fuse.rclone"), QStringLiteral("davfs"),
    };
    return !remote.contains(mount->fsType);
}

std::optional<QUrl> volumeURL(const QUrl& fileUrl)
{
    const QString path = localPath(fileUrl);
    if (path.isEmpty())
        return std::nullopt;
    const auto mount = mountFor(path);
    if (!mount)
        return std::nullopt;
    return QUrl::fromLocalFile(mount->path);
}

QString displayNameAtPath(const QString& path)
{
    if (QFileInfo(path).isFile()) {
        if (const auto keys = desktopEntryKeys(path);
            keys && keys->value(QStringLiteral("Type")) == QLatin1String("Application")) {
            const QString name = localizedName(*keys);
            if (!name.isEmpty())
                return name;
        }
    }
    const QString fileName = QFileInfo(path).fileName();
    return fileName.isEmpty() ? path : fileName;
}

} // namespace vantel
