#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace vantel::platform {

// One parsed desktop-entry file (the freedesktop key-file format): groups of
// keys, localized keys such as "Name[de]", escapes, lists and booleans. The
// first group must be "Desktop Entry"; a line that is neither a comment, a
// group header nor a key=value pair makes the whole file invalid. A key
// outside the key syntax, or a value that is not UTF-8, costs only its line:
// it is skipped and noted in skippedLines(), as the desktop's menus do.
class DesktopEntry {
public:
    static inline const QString mainGroup = QStringLiteral("Desktop Entry");

    // nullopt and a message naming the line when the file is invalid or
    // cannot be read.
    static std::optional<DesktopEntry> load(const QString& path, QString* error = nullptr);
    static std::optional<DesktopEntry> parse(const QByteArray& data, QString* error = nullptr);

    // What a reading stores: of the main group only `keys` and their
    // variants for `locale` (empty: the messages locale). The whole file is
    // still checked, and the skipped lines are noted, as load() does; its
    // reducedTo(keys, locale) answers as that of the whole file's.
    struct KeyFilter {
        QStringList keys;
        QString locale;
    };
    // The same without holding every translation of a file while reading it.
    static std::optional<DesktopEntry> load(const QString& path, QString* error, const KeyFilter& filter);
    static std::optional<DesktopEntry> parse(const QByteArray& data, QString* error, const KeyFilter& filter);

    QString path() const { return path_; }
    // The bytes an unfiltered load or parse checked, kept so that whatever
    // else reads the entry (GIO) gets these and never opens the path again.
    // Empty for a filtered or reduced entry.
    QByteArray data() const { return data_; }
    // What parsing passed over, one message per line ("line 4: invalid key ...").
    QStringList skippedLines() const { return skipped_; }
    QStringList groups() const;
    bool hasKey(const QString& key, const QString& group = mainGroup) const;

    // The value with its escapes resolved (\s \n \t \r \\); a "\;" stays as
    // it is, it only matters to lists.
    std::optional<QString> string(const QString& key, const QString& group = mainGroup) const;
    // The best localized variant for the locale ("lang_COUNTRY.ENCODING@MODIFIER"):
    // key[lang_COUNTRY@MODIFIER], key[lang_COUNTRY], key[lang@MODIFIER],
    // key[lang], then the plain key. An empty locale means the messages
    // locale of the environment.
    std::optional<QString> localeString(const QString& key, const QString& locale = {},
                                        const QString& group = mainGroup) const;
    // Split at unescaped ';', a trailing ';' adds no empty element.
    QStringList stringList(const QString& key, const QString& group = mainGroup) const;
    QStringList localeStringList(const QString& key, const QString& locale = {},
                                 const QString& group = mainGroup) const;
    // "true"/"false" (and the old "1"/"0"); anything else is the default.
    bool boolean(const QString& key, bool defaultValue = false, const QString& group = mainGroup) const;

    QString type() const;
    QString name(const QString& locale = {}) const;
    QString exec() const;
    QString tryExec() const;
    QString icon() const;
    QString startupWMClass() const;
    bool isHidden() const;
    bool noDisplay() const;
    bool dbusActivatable() const;
    QStringList onlyShowIn() const;
    QStringList notShowIn() const;
    QStringList categories() const;

    // Type=Application.
    bool isApplication() const;
    // An application that can be started from here: Type=Application, a
    // Name, not Hidden, when TryExec is given an executable it names, and an
    // Exec whose quoting is sound and whose program is found (or, without
    // Exec, D-Bus activation). NoDisplay entries and those of other desktops
    // count: they are only kept out of menus.
    bool isLaunchableApplication() const;
    // The same with the given program lookup (findExecutable's contract), so
    // that a scan of many entries can answer lookups from what it has read.
    bool isLaunchableApplication(const std::function<QString(const QString&)>& findProgram) const;
    // OnlyShowIn/NotShowIn against the given desktops; an entry with
    // OnlyShowIn is shown in none when no desktop is known.
    bool isShownIn(const QStringList& desktops) const;
    bool isShownInCurrentDesktop() const;
    // The desktops named by $XDG_CURRENT_DESKTOP, in order.
    static QStringList currentDesktops();

    // A copy that holds only the main group's `keys` and, of their localized
    // variants, those that `locale` would pick: what a long-lived index keeps
    // of a file instead of every translation. Its answers for those keys in
    // that locale are the original's; the skipped lines are dropped.
    DesktopEntry reducedTo(const QStringList& keys, const QString& locale = {}) const;

    // Exec split into arguments by its quoting rules. Field codes ("%f",
    // "%U", "%%", ...) are left as they stand for the caller to expand.
    // nullopt on a quoting error.
    std::optional<QStringList> execArguments(QString* error = nullptr) const;
    // The one way Vantel writes an argument into an Exec= value of a file:
    // quoted and escaped by the desktop entry rules (a percent sign doubled,
    // reserved characters in double quotes with `"`, `` ` ``, `$` and `\`
    // escaped), then escaped as a string value. nullopt for text with a
    // control character other than a tab: a line break would end the key
    // and start another.
    static std::optional<QString> quotedExecArgument(const QString& argument);

    // The locale that localized keys follow: LC_ALL, LC_MESSAGES, then LANG;
    // empty for "C" and "POSIX".
    static QString messagesLocale();
    // The key suffixes to try for a locale, best first (without the plain key).
    static QStringList localeVariants(const QString& locale);
    // The desktop ID of a file below an applications folder: the relative
    // path with '/' turned into '-'. Empty when the file is not below it.
    static QString desktopId(const QString& filePath, const QString& applicationsDir);
    // An absolute program is taken as it is, a bare name is looked up in
    // PATH; empty when no executable file is found.
    static QString findExecutable(const QString& program);

private:
    // Flat and sorted by key: an index keeps thousands of entries, and a map
    // costs a node per key.
    struct Group {
        QString name;
        QList<std::pair<QString, QString>> values; // raw, escapes unresolved
        const QString* find(const QString& key) const;
        void set(const QString& key, const QString& value); // a repeated key keeps its last value
    };

    static std::optional<DesktopEntry> read(const QString& path, QString* error, const KeyFilter* filter);
    static std::optional<DesktopEntry> parseFiltered(const QByteArray& data, QString* error, const KeyFilter* filter);
    std::optional<QString> raw(const QString& key, const QString& group) const;
    const Group* findGroup(const QString& name) const;

    QString path_;
    QByteArray data_;
    QStringList skipped_;
    QList<Group> groups_; // in the file's order
};

} // namespace vantel::platform
