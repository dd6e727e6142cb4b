#include "platform/ApplicationMatcher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include <climits>

#include <unistd.h>

namespace vantel::platform {

namespace {

QString canonical(const QString& path)
{
    return path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
}

QString baseName(const QString& path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

// Programs that run something else named on their command line: the entry
// and the process are told apart by that, not by the program itself.
bool isWrapper(const QString& name)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^((ba|da|z|k|c|tc|fi|a)?sh|env|python[0-9.]*|pypy[0-9.]*|perl[0-9.]*|ruby[0-9.]*|node(js)?|gjs|"
        "lua[0-9.]*|tclsh[0-9.]*|wish[0-9.]*|java|mono|wine(64)?|flatpak|snap|exec|nohup|xdg-open)$"));
    return pattern.match(name).hasMatch();
}

bool isAssignment(const QString& argument)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*="));
    return pattern.match(argument).hasMatch();
}

QByteArray readSmallFile(const QString& path, qint64 limit = 1024 * 1024)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {};
    return file.read(limit);
}

} // namespace

ApplicationMatcher::ApplicationMatcher(const QList<IndexedApplication>& applications)
{
    applications_.reserve(applications.size());
    for (int i = 0; i < applications.size(); ++i) {
        const IndexedApplication& application = applications[i];
        applications_.append({application.path, application.desktopId, application.entry.noDisplay()});
        byPath_.insert(application.path, i);
        const QString key = programKey(application.entry);
        if (!key.isEmpty())
            byProgram_[key].append(i);
        const QString windowClass = application.entry.startupWMClass();
        if (!windowClass.isEmpty())
            byWindowClass_[windowClass].append(i);
        // Keyed by the whole ID: lower-casing an ID that is already lower
        // case shares its string instead of making a stem.
        byIdStem_[application.desktopId.toLower()].append(i);
    }
    // Most lists hold one application; without their spare room.
    for (auto* table : {&byProgram_, &byWindowClass_, &byIdStem_}) {
        for (QList<int>& list : *table)
            list.squeeze();
    }
}

QString ApplicationMatcher::programKey(const DesktopEntry& entry)
{
    const auto arguments = entry.execArguments();
    if (!arguments || arguments->isEmpty())
        return {};
    qsizetype i = 0;
    if (baseName(arguments->at(0)) == u"env") {
        ++i;
        while (i < arguments->size() && (arguments->at(i).startsWith(u'-') || isAssignment(arguments->at(i))))
            ++i;
    }
    if (i >= arguments->size())
        return {};
    const QString program = arguments->at(i);
    const QString resolved = canonical(DesktopEntry::findExecutable(program));
    if (resolved.isEmpty())
        return {};
    if (!isWrapper(baseName(program)) && !isWrapper(baseName(resolved)))
        return resolved;
    // The first argument that is not an option decides.
    for (++i; i < arguments->size(); ++i) {
        const QString& argument = arguments->at(i);
        if (argument.startsWith(u'-') || argument.startsWith(u'%'))
            continue;
        if (QDir::isAbsolutePath(argument) && QFileInfo(argument).isFile())
            return canonical(argument);
        return {};
    }
    return {};
}

QStringList ApplicationMatcher::processKeys(const ProcessInfo& process)
{
    QStringList keys;
    QString executable = process.executable;
    // A program replaced on disk (an upgrade) shows as "path (deleted)".
    if (executable.endsWith(QStringLiteral(" (deleted)")))
        executable.chop(QStringLiteral(" (deleted)").size());
    if (!executable.isEmpty())
        keys << executable;
    if (!process.arguments.isEmpty() && QDir::isAbsolutePath(process.arguments[0])) {
        const QString program = canonical(process.arguments[0]);
        if (!program.isEmpty() && !keys.contains(program))
            keys << program;
    }
    for (qsizetype i = 1; i < process.arguments.size(); ++i) {
        const QString& argument = process.arguments[i];
        if (argument.startsWith(u'-'))
            continue;
        if (QDir::isAbsolutePath(argument)) {
            const QString script = canonical(argument);
            if (!script.isEmpty() && QFileInfo(script).isFile() && !keys.contains(script))
                keys << script;
        }
        break;
    }
    return keys;
}

QList<int> ApplicationMatcher::matchProcess(const ProcessInfo& process) const
{
    QList<int> matched;
    if (!process.launchedDesktopFile.isEmpty()) {
        const auto it = byPath_.constFind(QDir::cleanPath(process.launchedDesktopFile));
        if (it != byPath_.constEnd())
            matched << *it;
    }
    if (matched.isEmpty()) {
        for (const QString& key : processKeys(process)) {
            for (int index : byProgram_.value(key)) {
                if (!matched.contains(index))
                    matched << index;
            }
        }
    }
    return matched;
}

QList<int> ApplicationMatcher::matchWindow(const WindowInfo& window, const QHash<qint64, QList<int>>& byPid) const
{
    QList<int> matched = byWindowClass_.value(window.className);
    for (int index : byWindowClass_.value(window.instanceName)) {
        if (!matched.contains(index))
            matched << index;
    }
    if (matched.isEmpty()) {
        static const QString suffix = QStringLiteral(".desktop");
        matched = byIdStem_.value(window.className.toLower() + suffix);
        for (int index : byIdStem_.value(window.instanceName.toLower() + suffix)) {
            if (!matched.contains(index))
                matched << index;
        }
    }
    if (matched.isEmpty() && window.pid > 0)
        matched = byPid.value(window.pid);
    return matched;
}

QList<WindowInfo> ApplicationMatcher::windowsOf(const QString& desktopFile, const QList<ProcessInfo>& processes,
                                                const QList<WindowInfo>& windows) const
{
    const auto application = byPath_.constFind(QDir::cleanPath(desktopFile));
    if (application == byPath_.constEnd())
        return {};
    QHash<qint64, QList<int>> byPid;
    for (const ProcessInfo& process : processes) {
        const QList<int> matched = matchProcess(process);
        if (!matched.isEmpty())
            byPid.insert(process.pid, matched);
    }
    QList<WindowInfo> result;
    for (const WindowInfo& window : windows) {
        if (window.normal && matchWindow(window, byPid).contains(*application))
            result << window;
    }
    return result;
}

QList<RunningApplication> ApplicationMatcher::match(const QList<ProcessInfo>& processes,
                                                    const QList<WindowInfo>& windows,
                                                    const QList<QStringList>& unitDesktopIds) const
{
    struct Found {
        QSet<qint64> pids;
        bool regular = false;
    };
    QMap<int, Found> found;
    QHash<qint64, QList<int>> byPid;

    for (const ProcessInfo& process : processes) {
        const QList<int> matched = matchProcess(process);
        for (int index : matched) {
            Found& application = found[index];
            application.pids.insert(process.pid);
            application.regular = application.regular || !applications_[index].noDisplay;
        }
        if (!matched.isEmpty())
            byPid.insert(process.pid, matched);
    }

    for (const WindowInfo& window : windows) {
        if (!window.normal)
            continue;
        for (int index : matchWindow(window, byPid)) {
            Found& application = found[index];
            application.regular = true;
            if (window.pid > 0)
                application.pids.insert(window.pid);
        }
    }

    // A unit the desktop started for an application runs it, like a process
    // of it would; the first of its readings that names an entry decides.
    for (const QStringList& candidates : unitDesktopIds) {
        for (const QString& id : candidates) {
            const QList<int> matched = byIdStem_.value(id.toLower());
            for (int index : matched) {
                Found& application = found[index];
                application.regular = application.regular || !applications_[index].noDisplay;
            }
            if (!matched.isEmpty())
                break;
        }
    }

    QList<RunningApplication> result;
    for (auto it = found.cbegin(); it != found.cend(); ++it) {
        const Known& application = applications_[it.key()];
        RunningApplication running;
        running.bundlePath = application.path;
        running.desktopId = application.desktopId;
        running.processIds = QList<qint64>(it->pids.cbegin(), it->pids.cend());
        std::sort(running.processIds.begin(), running.processIds.end());
        running.regular = it->regular;
        result << running;
    }
    std::sort(result.begin(), result.end(),
              [](const RunningApplication& a, const RunningApplication& b) { return a.bundlePath < b.bundlePath; });
    return result;
}

QList<ProcessInfo> ApplicationMatcher::readProcesses(const QString& procRoot)
{
    QList<ProcessInfo> processes;
    const QStringList names = QDir(procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        bool numeric = false;
        const qint64 pid = name.toLongLong(&numeric);
        if (!numeric || pid <= 0)
            continue;
        const QString base = procRoot + u'/' + name;

        const QByteArray commandLine = readSmallFile(base + QStringLiteral("/cmdline"));
        if (commandLine.isEmpty())
            continue; // a kernel thread, or gone already
        ProcessInfo process;
        process.pid = pid;
        for (const QByteArray& argument : commandLine.split('\0'))
            process.arguments << QFile::decodeName(argument);
        if (commandLine.endsWith('\0'))
            process.arguments.removeLast();

        char target[PATH_MAX];
        const ssize_t length = ::readlink(QFile::encodeName(base + QStringLiteral("/exe")).constData(), target,
                                          sizeof target - 1);
        if (length > 0)
            process.executable = QFile::decodeName(QByteArray(target, length));

        // Readable for our own processes only. The launcher's variables are
        // inherited by children, so they count only for the process named.
        const QByteArray environment = readSmallFile(base + QStringLiteral("/environ"));
        QString desktopFile;
        qint64 launchedPid = 0;
        for (const QByteArray& variable : environment.split('\0')) {
            if (variable.startsWith("GIO_LAUNCHED_DESKTOP_FILE="))
                desktopFile = QFile::decodeName(variable.mid(int(sizeof "GIO_LAUNCHED_DESKTOP_FILE=") - 1));
            else if (variable.startsWith("GIO_LAUNCHED_DESKTOP_FILE_PID="))
                launchedPid = variable.mid(int(sizeof "GIO_LAUNCHED_DESKTOP_FILE_PID=") - 1).toLongLong();
        }
        if (launchedPid == pid)
            process.launchedDesktopFile = desktopFile;
        processes << process;
    }
    return processes;
}

} // namespace vantel::platform
