#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <optional>

namespace vantel::platform {

// The program's files, found from where its executable lies:
//  - an application bundle <name>.app/Contents/{Info.plist, MacOS/<executable>,
//    Resources/} (the build tree lays the two programs out so);
//  - an installed program (see InstalledLayout): the bundle path is the
//    prefix, the resources are <prefix>/share/vantel, the identity is the
//    compiled-in one;
//  - anything else (tests, benchmarks): the compiled-in identity and the
//    resources given to setLooseResourcePath(), if any.
// Immutable, so it may be read from any thread.
class Bundle {
public:
    enum class Layout { appBundle, installed, loose };

    // The bundle of the running executable, found from its path. Never
    // changes during a run.
    static const Bundle& main();
    // What main() answers for an executable at `executablePath`.
    static Bundle forExecutable(const QString& executablePath);
    // Where a loose executable (one neither in a bundle nor installed) finds
    // its resources; for test and benchmark programs, whose resources lie in
    // the source tree. Call before the first main(); the program never does.
    static void setLooseResourcePath(const QString& path);

    // The bundle at `bundlePath` (the .app folder; its Contents folder is
    // accepted too). None when the folder does not exist. A missing or
    // damaged Info.plist leaves the info dictionary empty; see infoError().
    static std::optional<Bundle> atPath(const QString& bundlePath);

    Layout layout() const { return layout_; }
    // The .app folder; the prefix of an installed program; the executable's folder otherwise.
    QString bundlePath() const { return bundlePath_; }
    QString bundleIdentifier() const;
    // Contents/MacOS/<CFBundleExecutable>; empty when the bundle names none.
    QString executablePath() const { return executablePath_; }

    QVariantMap infoDictionary() const { return info_; }
    QVariant objectForInfoDictionaryKey(const QString& key) const { return info_.value(key); }
    // Why the info dictionary is empty, when reading Info.plist failed.
    QString infoError() const { return infoError_; }

    QString resourcePath() const { return resourcePath_; }
    // The file <name>.<extension> (just <name> when the extension is empty)
    // below the resources, in `subdirectory` when given, as resourceIn()
    // finds it for the user's languages. Names that would leave the
    // resources folder are refused.
    std::optional<QString> pathForResource(const QString& name, const QString& extension,
                                           const QString& subdirectory = {}) const;
    // The one rule by which a resource file is found below `folder`: first
    // the lproj folders of the user's language (localizationFolders), then
    // the folder itself (the English files), then Base.lproj. None for a path
    // that would leave the folder.
    static std::optional<QString> resourceIn(const QString& folder, const QString& relativePath,
                                             const QStringList& languages);
    // The one rule for the language spoken to the user, for texts and
    // documents alike: the first of `languages`, in the user's order, that
    // `folder` has an lproj folder for ("de-DE.lproj" or "de.lproj"), English
    // counting as had since it is built in. Its existing lproj folders, the
    // more specific first; none when English wins.
    static QStringList localizationFolders(const QString& folder, const QStringList& languages);
    // The name of the language that rule chose ("de", "de-AT"); empty for English.
    static QString localizationLanguage(const QString& folder, const QStringList& languages);
    // The user's languages in their order (LANGUAGE, else LC_ALL,
    // LC_MESSAGES, LANG), as Qt reads them into the default locale.
    static QStringList userLanguages();

    // The application's image of that name: the icon of the user's theme, else
    // of Breeze, else the bundle's own drawing. None for a name the
    // application does not know, or when no icon can be found for it.
    std::optional<QIcon> imageNamed(const QString& name) const;
    // Makes Breeze the icon theme of last resort, after the user's, and adds
    // the system's icon folders, so that a lookup by theme name anywhere
    // (QIcon::fromTheme) finds what the named images find. Once per process,
    // on the main thread, once the application object exists: the program
    // does it before its first window; the first named image does it too.
    static void setUpIconThemes();

private:
    Bundle() = default;
    static Bundle unbundled(const QString& executablePath);
    static Bundle installed(const QString& executablePath, const QString& prefix);

    Layout layout_ = Layout::appBundle;
    QString bundlePath_;
    QString executablePath_;
    QString resourcePath_;
    QVariantMap info_;
    QString infoError_;
};

} // namespace vantel::platform
