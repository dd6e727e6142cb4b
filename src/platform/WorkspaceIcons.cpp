#include "platform/WorkspaceIcons.h"

#include "platform/Bundle.h"
#include "platform/DesktopEntry.h"
#include "platform/FileFacts.h"

#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QPixmap>

#include <mutex>

namespace vantel::platform::WorkspaceIcons {

namespace {

const QString folderName = QStringLiteral("folder");
const QString executableName = QStringLiteral("application-x-executable");
const QString documentName = QStringLiteral("text-x-generic");

// The bundle's first image look-up adds the system's icon folders and makes
// Breeze the theme of last resort (offscreen and in bare sessions Qt knows
// neither); every theme look-up here must come after it.
void prepareThemes()
{
    static std::once_flag prepared;
    std::call_once(prepared, [] { (void)Bundle::main().imageNamed(QStringLiteral("icon_folder")); });
}

// The theme's drawings at the sizes that file icons are made for. Asked for
// 48 pixels, Qt would take Breeze's monochrome 22@2x toolbar variant as the
// nearest; from these it scales the colour 64 pixel drawing down instead.
QIcon fileIconSizes(const QIcon& themed)
{
    QIcon icon;
    for (int side : {32, 64, 128}) {
        const QPixmap pixmap = themed.pixmap(QSize(side, side), 1.0);
        if (!pixmap.isNull())
            icon.addPixmap(pixmap);
    }
    return icon;
}

// A theme icon by name, found once; null when no theme has it.
QIcon themeIcon(const QString& name)
{
    static QHash<QString, QIcon> found;
    auto it = found.constFind(name);
    if (it == found.constEnd())
        it = found.insert(name, QIcon::hasThemeIcon(name) ? fileIconSizes(QIcon::fromTheme(name)) : QIcon());
    return *it;
}

QIcon firstThemeIcon(const QStringList& names)
{
    for (const QString& name : names) {
        QIcon icon = themeIcon(name);
        if (!icon.isNull())
            return icon;
    }
    return {};
}

QIcon applicationIcon(const QString& path)
{
    const std::optional<DesktopEntry> entry = DesktopEntry::load(path);
    const QString name = entry ? entry->icon().trimmed() : QString();
    if (name.startsWith(u'/')) {
        if (QFileInfo(name).isFile()) {
            QIcon icon(name);
            if (!icon.availableSizes().isEmpty() || !icon.actualSize(QSize(48, 48)).isEmpty())
                return icon;
        }
    } else if (!name.isEmpty()) {
        // Old entries name the file of a theme icon, extension and all.
        QStringList names{name};
        for (const char* extension : {".png", ".svg", ".xpm"}) {
            if (name.endsWith(QLatin1String(extension)))
                names << name.chopped(4);
        }
        QIcon icon = firstThemeIcon(names);
        if (!icon.isNull())
            return icon;
    }
    return firstThemeIcon({executableName, documentName});
}

const QMimeDatabase& mimeDatabase()
{
    static const QMimeDatabase database;
    return database;
}

QStringList themeNamesFor(const QMimeType& type, const QFileInfo& info)
{
    const QMimeDatabase& database = mimeDatabase();
    QStringList names;
    if (type.isValid()) {
        names << type.iconName() << type.genericIconName();
        for (const QString& parent : type.allAncestors()) {
            const QMimeType ancestor = database.mimeTypeForName(parent);
            if (ancestor.isValid())
                names << ancestor.iconName();
        }
    }
    if (info.isDir())
        names << folderName;
    else if (info.isExecutable())
        names << executableName;
    names << documentName;
    names.removeDuplicates();
    names.removeAll(QString());
    return names;
}

} // namespace

QStringList themeNamesForFile(const QString& path)
{
    const QFileInfo info(path);
    return themeNamesFor(mimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchDefault), info);
}

QIcon iconForFile(const QString& path)
{
    prepareThemes();
    if (path.isEmpty())
        return firstThemeIcon({documentName});
    if (FileFacts::isApplication(path))
        return applicationIcon(path);
    const QFileInfo info(path);
    const QMimeType type = mimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchDefault);
    // One look-up per type, not per file: a catalogue holds many of each.
    const QString key = type.name() + (info.isDir() ? u'/' : info.isExecutable() ? u'*' : u' ');
    static QHash<QString, QIcon> byType;
    auto it = byType.constFind(key);
    if (it == byType.constEnd())
        it = byType.insert(key, firstThemeIcon(themeNamesFor(type, info)));
    return *it;
}

} // namespace vantel::platform::WorkspaceIcons
