#include "platform/Bundle.h"

#include "platform/InstalledLayout.h"
#include "platform/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#ifndef VANTEL_BUNDLE_ID
#define VANTEL_BUNDLE_ID "net.tarnwick.vantel"
#endif
#ifndef VANTEL_VERSION
#define VANTEL_VERSION "0"
#endif

namespace vantel::platform {

namespace {

// Info.plist files are small; anything far larger is not one.
constexpr qint64 maximumInfoSize = 4 * 1024 * 1024;

QString& looseResourcePath()
{
    static QString path;
    return path;
}

QString runningExecutable()
{
    const QString target = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return target.isEmpty() ? QString() : QFileInfo(target).absoluteFilePath();
}

// A single path component that stays inside its folder.
bool isSafeRelative(const QString& path)
{
    if (path.isEmpty() || QDir::isAbsolutePath(path))
        return false;
    for (const QString& part : path.split(u'/', Qt::SkipEmptyParts)) {
        if (part == QLatin1String(".."))
            return false;
    }
    return !path.contains(QChar(0));
}

} // namespace

std::optional<Bundle> Bundle::atPath(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    QFileInfo folder(path);
    if (!folder.isDir())
        return std::nullopt;
    QString root = QDir::cleanPath(folder.absoluteFilePath());
    if (folder.fileName() == QLatin1String("Contents") && QFileInfo::exists(root + QStringLiteral("/Info.plist"))
        && !QFileInfo::exists(root + QStringLiteral("/Contents")))
        root = QFileInfo(root).absolutePath();

    Bundle bundle;
    bundle.bundlePath_ = root;
    const QString contents = root + QStringLiteral("/Contents");
    bundle.resourcePath_ = contents + QStringLiteral("/Resources");

    QFile infoFile(contents + QStringLiteral("/Info.plist"));
    if (!infoFile.exists()) {
        bundle.infoError_ = QStringLiteral("%1 has no Info.plist").arg(root);
    } else if (infoFile.size() > maximumInfoSize) {
        bundle.infoError_ = QStringLiteral("%1 is too large for an Info.plist").arg(infoFile.fileName());
    } else if (!infoFile.open(QIODevice::ReadOnly)) {
        bundle.infoError_ = QStringLiteral("Unable to read %1: %2").arg(infoFile.fileName(), infoFile.errorString());
    } else {
        QString error;
        const auto root = PropertyList::parse(infoFile.readAll(), &error);
        if (!root)
            bundle.infoError_ = QStringLiteral("Unable to parse %1: %2").arg(infoFile.fileName(), error);
        else if (root->typeId() != QMetaType::QVariantMap)
            bundle.infoError_ = QStringLiteral("%1 does not hold a dictionary").arg(infoFile.fileName());
        else
            bundle.info_ = root->toMap();
    }

    const QString executable = bundle.info_.value(QStringLiteral("CFBundleExecutable")).toString();
    if (!executable.isEmpty() && isSafeRelative(executable))
        bundle.executablePath_ = contents + QStringLiteral("/MacOS/") + executable;
    return bundle;
}

void Bundle::setLooseResourcePath(const QString& path)
{
    looseResourcePath() = path;
}

Bundle Bundle::unbundled(const QString& executablePath)
{
    Bundle bundle;
    bundle.layout_ = Layout::loose;
    bundle.executablePath_ = executablePath;
    bundle.bundlePath_ = executablePath.isEmpty() ? QDir::currentPath() : QFileInfo(executablePath).absolutePath();
    bundle.resourcePath_ = looseResourcePath();
    bundle.info_ = {
        {QStringLiteral("CFBundleIdentifier"), QStringLiteral(VANTEL_BUNDLE_ID)},
        {QStringLiteral("CFBundleName"), QStringLiteral("Vantel")},
        {QStringLiteral("CFBundleDisplayName"), QStringLiteral("Vantel")},
        {QStringLiteral("CFBundleShortVersionString"), QStringLiteral(VANTEL_VERSION)},
        {QStringLiteral("CFBundleVersion"), QStringLiteral(VANTEL_VERSION)},
    };
    if (!executablePath.isEmpty())
        bundle.info_.insert(QStringLiteral("CFBundleExecutable"), QFileInfo(executablePath).fileName());
    return bundle;
}

Bundle Bundle::installed(const QString& executablePath, const QString& prefix)
{
    Bundle bundle = unbundled(executablePath);
    bundle.layout_ = Layout::installed;
    bundle.bundlePath_ = prefix;
    bundle.resourcePath_ = InstalledLayout::resourcePath(prefix);
    // The launcher keeps the identity of its own: its log lines say so.
    if (QFileInfo(executablePath).fileName() == InstalledLayout::launcherName()) {
        bundle.info_.insert(QStringLiteral("CFBundleIdentifier"), QStringLiteral(VANTEL_BUNDLE_ID "Launcher"));
        bundle.info_.insert(QStringLiteral("CFBundleName"), QStringLiteral("VantelLauncher"));
        bundle.info_.remove(QStringLiteral("CFBundleDisplayName"));
    }
    return bundle;
}

Bundle Bundle::forExecutable(const QString& executable)
{
    const QFileInfo info(executable);
    const QDir macOS = info.absoluteDir();
    QDir contents = macOS;
    if (!executable.isEmpty() && macOS.dirName() == QLatin1String("MacOS") && contents.cdUp()
        && contents.dirName() == QLatin1String("Contents")) {
        const QString appPath = QFileInfo(contents.absolutePath()).absolutePath();
        if (appPath.endsWith(QLatin1String(".app"))) {
            if (auto found = atPath(appPath)) {
                found->executablePath_ = info.absoluteFilePath();
                // Log lines and settings need an identifier even when
                // Info.plist is damaged.
                if (found->bundleIdentifier().isEmpty())
                    found->info_.insert(QStringLiteral("CFBundleIdentifier"), QStringLiteral(VANTEL_BUNDLE_ID));
                return *found;
            }
        }
    }
    if (const auto prefix = InstalledLayout::prefixOf(executable))
        return installed(info.absoluteFilePath(), *prefix);
    return unbundled(executable.isEmpty() ? QString() : info.absoluteFilePath());
}

const Bundle& Bundle::main()
{
    static const Bundle bundle = forExecutable(runningExecutable());
    return bundle;
}

QString Bundle::bundleIdentifier() const
{
    const QVariant value = info_.value(QStringLiteral("CFBundleIdentifier"));
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

std::optional<QString> Bundle::pathForResource(const QString& name, const QString& extension,
                                               const QString& subdirectory) const
{
    if (resourcePath_.isEmpty() || !isSafeRelative(name))
        return std::nullopt;
    if (!subdirectory.isEmpty() && !isSafeRelative(subdirectory))
        return std::nullopt;
    QString ext = extension;
    while (ext.startsWith(u'.'))
        ext.remove(0, 1);
    if (ext.contains(u'/'))
        return std::nullopt;
    const QString file = ext.isEmpty() ? name : name + u'.' + ext;

    return resourceIn(resourcePath_, subdirectory.isEmpty() ? file : subdirectory + u'/' + file, userLanguages());
}

std::optional<QString> Bundle::resourceIn(const QString& folder, const QString& relativePath,
                                          const QStringList& languages)
{
    if (folder.isEmpty() || !isSafeRelative(relativePath))
        return std::nullopt;
    QStringList folders = localizationFolders(folder, languages);
    folders.append(folder);
    folders.append(folder + QStringLiteral("/Base.lproj"));
    folders.removeDuplicates();
    for (const QString& candidateFolder : std::as_const(folders)) {
        const QFileInfo info(candidateFolder + u'/' + relativePath);
        if (info.exists() && !info.isDir())
            return QDir::cleanPath(info.absoluteFilePath());
    }
    return std::nullopt;
}

QStringList Bundle::localizationFolders(const QString& folder, const QStringList& languages)
{
    if (folder.isEmpty())
        return {};
    for (const QString& language : languages) {
        const QString dashed = QString(language).replace(u'_', u'-').section(u'.', 0, 0).section(u'@', 0, 0);
        const QString base = dashed.section(u'-', 0, 0);
        // English is built in: where it comes first, no table of a later language wins.
        if (base.isEmpty() || base == QLatin1String("en") || base == QLatin1String("C")
            || base == QLatin1String("POSIX"))
            return {};
        QStringList had;
        for (const QString& name : {dashed, base}) {
            const QString candidate = folder + u'/' + name + QStringLiteral(".lproj");
            if (!had.contains(candidate) && QFileInfo(candidate).isDir())
                had << candidate;
        }
        if (!had.isEmpty())
            return had;
    }
    return {};
}

QString Bundle::localizationLanguage(const QString& folder, const QStringList& languages)
{
    const QStringList folders = localizationFolders(folder, languages);
    return folders.isEmpty() ? QString() : QFileInfo(folders.first()).completeBaseName();
}

QStringList Bundle::userLanguages()
{
    // The default locale: the system's, unless the program set another.
    return QLocale().uiLanguages();
}

} // namespace vantel::platform
