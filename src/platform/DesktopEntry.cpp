#include "platform/DesktopEntry.h"

#include "platform/UserFileRead.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace vantel::platform {

namespace {

// Resolves \s \n \t \r \\; with `inList` also "\;" to ';'. Unknown escapes
// are kept as written.
QString unescape(QStringView raw, bool inList)
{
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw[i];
        if (c != u'\\' || i + 1 == raw.size()) {
            out += c;
            continue;
        }
        const QChar next = raw[++i];
        switch (next.unicode()) {
        case 's': out += u' '; break;
        case 'n': out += u'\n'; break;
        case 't': out += u'\t'; break;
        case 'r': out += u'\r'; break;
        case '\\': out += u'\\'; break;
        case ';':
            if (inList) {
                out += u';';
                break;
            }
            [[fallthrough]];
        default:
            out += u'\\';
            out += next;
        }
    }
    return out;
}

QStringList splitList(const QString& raw)
{
    QStringList items;
    qsizetype start = 0;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == u'\\') {
            ++i; // the escaped character never separates
        } else if (raw[i] == u';') {
            items << unescape(QStringView(raw).sliced(start, i - start), true);
            start = i + 1;
        }
    }
    if (start < raw.size())
        items << unescape(QStringView(raw).sliced(start), true);
    return items;
}

// A key is [A-Za-z0-9_.-]+, optionally followed by a non-empty locale in
// brackets ("Name[de_DE@euro]").
bool isValidKey(QStringView key)
{
    qsizetype i = 0;
    for (; i < key.size(); ++i) {
        const char16_t c = key[i].unicode();
        const bool plain = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-'
            || c == u'_' || c == u'.';
        if (!plain)
            break;
    }
    if (i == 0)
        return false;
    if (i == key.size())
        return true;
    if (key[i] != u'[' || !key.endsWith(u']') || key.size() - i < 3)
        return false;
    const QStringView locale = key.sliced(i + 1, key.size() - i - 2);
    return !locale.contains(u'[') && !locale.contains(u']');
}

bool isLocalizedKey(QByteArrayView line)
{
    const qsizetype equals = line.indexOf('=');
    const qsizetype bracket = line.indexOf('[');
    return equals > 0 && bracket >= 0 && bracket < equals;
}

} // namespace

std::optional<DesktopEntry> DesktopEntry::load(const QString& path, QString* error)
{
    return read(path, error, nullptr);
}

std::optional<DesktopEntry> DesktopEntry::load(const QString& path, QString* error, const KeyFilter& filter)
{
    return read(path, error, &filter);
}

std::optional<DesktopEntry> DesktopEntry::parse(const QByteArray& data, QString* error)
{
    return parseFiltered(data, error, nullptr);
}

std::optional<DesktopEntry> DesktopEntry::parse(const QByteArray& data, QString* error, const KeyFilter& filter)
{
    return parseFiltered(data, error, &filter);
}

std::optional<DesktopEntry> DesktopEntry::read(const QString& path, QString* error, const KeyFilter* filter)
{
    // Desktop files are small; anything larger is not one. The bound holds
    // whatever size the file reports: a device or a /proc file says 0, and a
    // FIFO would block the reader, so both are refused unread.
    constexpr qint64 limit = 4 * 1024 * 1024;
    UserFileRead read = readUserFile(path, limit);
    if (!read.ok()) {
        if (error) {
            const QString why = path.isEmpty() ? QStringLiteral("empty path")
                : read.status == UserFileRead::Status::missing ? QStringLiteral("no such file")
                : read.status == UserFileRead::Status::tooLarge ? QStringLiteral("file too large")
                                                                 : read.error;
            *error = QStringLiteral("cannot read %1: %2").arg(path, why);
        }
        return std::nullopt;
    }
    const QByteArray data = std::move(read.data);
    QString parseError;
    auto entry = parseFiltered(data, &parseError, filter);
    if (!entry) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(path, parseError);
        return std::nullopt;
    }
    // The caller's string when it is already absolute: a long-lived index
    // then holds one copy of each path.
    const QString absolute = QFileInfo(path).absoluteFilePath();
    entry->path_ = absolute == path ? path : absolute;
    return entry;
}

std::optional<DesktopEntry> DesktopEntry::parseFiltered(const QByteArray& data, QString* error, const KeyFilter* filter)
{
    const QStringList variants =
        filter ? localeVariants(filter->locale.isEmpty() ? messagesLocale() : filter->locale) : QStringList();
    const auto kept = [&](QStringView key) {
        const qsizetype bracket = key.indexOf(u'[');
        if (!filter->keys.contains(bracket < 0 ? key : key.left(bracket)))
            return false;
        return bracket < 0 || variants.contains(key.sliced(bracket + 1, key.size() - bracket - 2));
    };
    auto fail = [error](int line, const QString& message) -> std::optional<DesktopEntry> {
        if (error)
            *error = line > 0 ? QStringLiteral("line %1: %2").arg(line).arg(message) : message;
        return std::nullopt;
    };

    // Checked per line only when the file as a whole is not valid UTF-8, so
    // that one bad value costs that value and not the file.
    const bool wholeFileValid = QByteArrayView(data).isValidUtf8();

    DesktopEntry entry;
    Group* current = nullptr;
    int lineNumber = 0;
    qsizetype start = 0;
    while (start <= data.size()) {
        qsizetype end = data.indexOf('\n', start);
        if (end < 0)
            end = data.size();
        QByteArrayView bytes(data.constData() + start, end - start);
        start = end + 1;
        ++lineNumber;
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        if (!wholeFileValid && !bytes.isValidUtf8()) {
            const QByteArrayView leading = bytes.trimmed();
            if (leading.startsWith('#'))
                continue;
            if (leading.startsWith('[') || !leading.contains('='))
                return fail(lineNumber, QStringLiteral("not valid UTF-8"));
            entry.skipped_ << QStringLiteral("line %1: %2 is not valid UTF-8")
                                  .arg(lineNumber)
                                  .arg(isLocalizedKey(leading) ? QStringLiteral("a localized value")
                                                               : QStringLiteral("the value"));
            continue;
        }
        const QString line = QString::fromUtf8(bytes);
        const QStringView trimmed = QStringView(line).trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;

        if (trimmed.startsWith(u'[')) {
            if (!trimmed.endsWith(u']'))
                return fail(lineNumber, QStringLiteral("unterminated group header"));
            const QString name = trimmed.sliced(1, trimmed.size() - 2).toString();
            if (name.isEmpty() || name.contains(u'[') || name.contains(u']'))
                return fail(lineNumber, QStringLiteral("invalid group name"));
            if (entry.groups_.isEmpty() && name != mainGroup)
                return fail(lineNumber, QStringLiteral("the first group is not [Desktop Entry]"));
            if (entry.findGroup(name))
                return fail(lineNumber, QStringLiteral("group [%1] appears twice").arg(name));
            entry.groups_.append({name, {}});
            current = &entry.groups_.last();
            continue;
        }

        const qsizetype equals = trimmed.indexOf(u'=');
        if (equals < 0)
            return fail(lineNumber, QStringLiteral("not a key=value line"));
        if (!current)
            return fail(lineNumber, QStringLiteral("key before the first group"));
        const QStringView key = trimmed.left(equals).trimmed();
        if (!isValidKey(key)) {
            // The desktop's own menus pass over such a line; so does this.
            entry.skipped_ << QStringLiteral("line %1: invalid key \"%2\"").arg(lineNumber).arg(key);
            continue;
        }
        if (filter && (entry.groups_.size() > 1 || !kept(key)))
            continue;
        // Spaces around '=' are not part of the value; a repeated key keeps
        // its last value.
        QStringView value = QStringView(line).sliced(line.indexOf(u'=') + 1);
        qsizetype lead = 0;
        while (lead < value.size() && (value[lead] == u' ' || value[lead] == u'\t'))
            ++lead;
        current->set(key.toString(), value.sliced(lead).toString());
    }

    if (entry.groups_.isEmpty())
        return fail(0, QStringLiteral("no [Desktop Entry] group"));
    if (!filter)
        entry.data_ = data;
    return entry;
}

const QString* DesktopEntry::Group::find(const QString& key) const
{
    const auto at = std::lower_bound(values.cbegin(), values.cend(), key,
                                     [](const std::pair<QString, QString>& item, const QString& k) { return item.first < k; });
    return at != values.cend() && at->first == key ? &at->second : nullptr;
}

void DesktopEntry::Group::set(const QString& key, const QString& value)
{
    const auto at = std::lower_bound(values.begin(), values.end(), key,
                                     [](const std::pair<QString, QString>& item, const QString& k) { return item.first < k; });
    if (at != values.end() && at->first == key)
        at->second = value;
    else
        values.insert(at, {key, value});
}

const DesktopEntry::Group* DesktopEntry::findGroup(const QString& name) const
{
    for (const Group& group : groups_) {
        if (group.name == name)
            return &group;
    }
    return nullptr;
}

QStringList DesktopEntry::groups() const
{
    QStringList names;
    names.reserve(groups_.size());
    for (const Group& group : groups_)
        names << group.name;
    return names;
}

bool DesktopEntry::hasKey(const QString& key, const QString& group) const
{
    return raw(key, group).has_value();
}

std::optional<QString> DesktopEntry::raw(const QString& key, const QString& group) const
{
    const Group* found = findGroup(group);
    if (!found)
        return std::nullopt;
    const QString* value = found->find(key);
    if (!value)
        return std::nullopt;
    return *value;
}

std::optional<QString> DesktopEntry::string(const QString& key, const QString& group) const
{
    const auto value = raw(key, group);
    if (!value)
        return std::nullopt;
    // Most values have no escapes: they are handed out shared, not copied.
    if (!value->contains(u'\\'))
        return value;
    return unescape(*value, false);
}

std::optional<QString> DesktopEntry::localeString(const QString& key, const QString& locale, const QString& group) const
{
    const QString effective = locale.isEmpty() ? messagesLocale() : locale;
    for (const QString& variant : localeVariants(effective)) {
        if (auto value = string(key + u'[' + variant + u']', group))
            return value;
    }
    return string(key, group);
}

DesktopEntry DesktopEntry::reducedTo(const QStringList& keys, const QString& locale) const
{
    DesktopEntry reduced;
    reduced.path_ = path_;
    const Group* main = findGroup(mainGroup);
    if (!main)
        return reduced;
    Group kept{mainGroup, {}};
    const QStringList variants = localeVariants(locale.isEmpty() ? messagesLocale() : locale);
    for (const QString& key : keys) {
        for (const QString& variant : variants) {
            const QString localized = key + u'[' + variant + u']';
            if (const QString* value = main->find(localized)) {
                kept.set(localized, *value);
                break; // the best variant answers; worse ones are never asked
            }
        }
        if (const QString* value = main->find(key))
            kept.set(key, *value);
    }
    kept.values.squeeze();
    reduced.groups_ = {std::move(kept)};
    return reduced;
}

QStringList DesktopEntry::stringList(const QString& key, const QString& group) const
{
    const auto value = raw(key, group);
    return value ? splitList(*value) : QStringList{};
}

QStringList DesktopEntry::localeStringList(const QString& key, const QString& locale, const QString& group) const
{
    const QString effective = locale.isEmpty() ? messagesLocale() : locale;
    for (const QString& variant : localeVariants(effective)) {
        if (const auto value = raw(key + u'[' + variant + u']', group))
            return splitList(*value);
    }
    return stringList(key, group);
}

bool DesktopEntry::boolean(const QString& key, bool defaultValue, const QString& group) const
{
    const auto value = raw(key, group);
    if (!value)
        return defaultValue;
    const QString v = value->trimmed();
    if (v == u"true" || v == u"1")
        return true;
    if (v == u"false" || v == u"0")
        return false;
    return defaultValue;
}

QString DesktopEntry::type() const { return string(QStringLiteral("Type")).value_or(QString()); }
QString DesktopEntry::name(const QString& locale) const { return localeString(QStringLiteral("Name"), locale).value_or(QString()); }
QString DesktopEntry::exec() const { return string(QStringLiteral("Exec")).value_or(QString()); }
QString DesktopEntry::tryExec() const { return string(QStringLiteral("TryExec")).value_or(QString()); }
QString DesktopEntry::icon() const { return localeString(QStringLiteral("Icon")).value_or(QString()); }
QString DesktopEntry::startupWMClass() const { return string(QStringLiteral("StartupWMClass")).value_or(QString()); }
bool DesktopEntry::isHidden() const { return boolean(QStringLiteral("Hidden")); }
bool DesktopEntry::noDisplay() const { return boolean(QStringLiteral("NoDisplay")); }
bool DesktopEntry::dbusActivatable() const { return boolean(QStringLiteral("DBusActivatable")); }
QStringList DesktopEntry::onlyShowIn() const { return stringList(QStringLiteral("OnlyShowIn")); }
QStringList DesktopEntry::notShowIn() const { return stringList(QStringLiteral("NotShowIn")); }
QStringList DesktopEntry::categories() const { return stringList(QStringLiteral("Categories")); }

bool DesktopEntry::isApplication() const
{
    return type() == u"Application";
}

bool DesktopEntry::isLaunchableApplication() const
{
    return isLaunchableApplication(&DesktopEntry::findExecutable);
}

bool DesktopEntry::isLaunchableApplication(const std::function<QString(const QString&)>& findProgram) const
{
    if (!isApplication() || isHidden() || name().isEmpty())
        return false;
    const QString probe = tryExec();
    if (!probe.isEmpty() && findProgram(probe).isEmpty())
        return false;
    if (exec().trimmed().isEmpty())
        return dbusActivatable();
    // An Exec that cannot be split, or whose program is not there, cannot
    // start anything, whatever else the entry offers.
    const auto arguments = execArguments();
    return arguments && !arguments->isEmpty() && !findProgram(arguments->first()).isEmpty();
}

bool DesktopEntry::isShownInCurrentDesktop() const
{
    return isShownIn(currentDesktops());
}

QStringList DesktopEntry::currentDesktops()
{
    return qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts);
}

bool DesktopEntry::isShownIn(const QStringList& desktops) const
{
    const QStringList only = onlyShowIn();
    if (!only.isEmpty()) {
        bool listed = false;
        for (const QString& desktop : desktops)
            listed = listed || only.contains(desktop);
        if (!listed)
            return false;
    }
    for (const QString& desktop : notShowIn()) {
        if (desktops.contains(desktop))
            return false;
    }
    return true;
}

std::optional<QStringList> DesktopEntry::execArguments(QString* error) const
{
    const QString command = exec();
    QStringList arguments;
    QString currentArgument;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < command.size(); ++i) {
        const QChar c = command[i];
        if (quoted) {
            if (c == u'"') {
                quoted = false;
            } else if (c == u'\\' && i + 1 < command.size()) {
                currentArgument += command[++i];
            } else {
                currentArgument += c;
            }
        } else if (c == u' ' || c == u'\t' || c == u'\n') {
            if (inArgument)
                arguments << currentArgument;
            currentArgument.clear();
            inArgument = false;
        } else if (c == u'"') {
            quoted = true;
            inArgument = true;
        } else {
            currentArgument += c;
            inArgument = true;
        }
    }
    if (quoted) {
        if (error)
            *error = QStringLiteral("unterminated quote in Exec");
        return std::nullopt;
    }
    if (inArgument)
        arguments << currentArgument;
    return arguments;
}

QString DesktopEntry::messagesLocale()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = qEnvironmentVariable(variable);
        if (value.isEmpty())
            continue;
        if (value == u"C" || value == u"POSIX" || value.startsWith(u"C.") || value.startsWith(u"C@"))
            return {};
        return value;
    }
    return {};
}

QStringList DesktopEntry::localeVariants(const QString& locale)
{
    if (locale.isEmpty())
        return {};
    QString rest = locale;
    QString modifier;
    const qsizetype at = rest.indexOf(u'@');
    if (at >= 0) {
        modifier = rest.mid(at + 1);
        rest.truncate(at);
    }
    const qsizetype dot = rest.indexOf(u'.');
    if (dot >= 0)
        rest.truncate(dot); // the encoding plays no part
    QString country;
    const qsizetype underscore = rest.indexOf(u'_');
    if (underscore >= 0) {
        country = rest.mid(underscore + 1);
        rest.truncate(underscore);
    }
    const QString& lang = rest;
    if (lang.isEmpty())
        return {};

    QStringList variants;
    if (!country.isEmpty() && !modifier.isEmpty())
        variants << lang + u'_' + country + u'@' + modifier;
    if (!country.isEmpty())
        variants << lang + u'_' + country;
    if (!modifier.isEmpty())
        variants << lang + u'@' + modifier;
    variants << lang;
    return variants;
}

QString DesktopEntry::desktopId(const QString& filePath, const QString& applicationsDir)
{
    const QString base = QDir::cleanPath(applicationsDir);
    const QString file = QDir::cleanPath(filePath);
    if (base.isEmpty() || !file.startsWith(base + u'/'))
        return {};
    QString relative = file.mid(base.size() + 1);
    relative.replace(u'/', u'-');
    return relative;
}

std::optional<QString> DesktopEntry::quotedExecArgument(const QString& argument)
{
    for (QChar c : argument) {
        if ((c.unicode() < 0x20 && c != u'\t') || c.unicode() == 0x7f)
            return std::nullopt;
    }
    static const QString reserved = QStringLiteral(" \t\"'\\><~|&;$*?#()`");
    QString quoted = argument;
    quoted.replace(u'%', QStringLiteral("%%"));
    bool needsQuotes = false;
    for (QChar c : std::as_const(quoted))
        needsQuotes = needsQuotes || reserved.contains(c);
    if (needsQuotes) {
        QString inQuotes = QStringLiteral("\"");
        for (QChar c : std::as_const(quoted)) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                inQuotes += u'\\';
            inQuotes += c;
        }
        quoted = inQuotes + u'"';
    }
    // The key file's own escapes come on top of the quoting.
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'\t', QStringLiteral("\\t"));
    return quoted;
}

QString DesktopEntry::findExecutable(const QString& program)
{
    if (program.isEmpty())
        return {};
    if (program.contains(u'/')) {
        const QFileInfo info(program);
        if (!info.isAbsolute())
            return {};
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(program);
}

} // namespace vantel::platform
