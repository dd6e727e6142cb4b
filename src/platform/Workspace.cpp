#include "platform/Workspace.h"

#include "platform/ApplicationMatcher.h"
#include "platform/DBusSignature.h"
#include "platform/DesktopEntry.h"
#include "platform/ErrorReasons.h"
#include "platform/FileFacts.h"
#include "platform/LaunchHistory.h"
#include "platform/LocalizedStrings.h"
#include "platform/Log.h"
#include "platform/MainQueue.h"
#include "platform/Process.h"
#include "platform/RunningApplications.h"
#include "platform/WindowList.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QThreadPool>

#include <atomic>
#include <cerrno>
#include <system_error>
#include <unistd.h>
#include <memory>

// GLib names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#pragma pop_macro("signals")

namespace vantel::platform {

namespace {

const QString& kErrorDomain = WorkspaceError::errorDomain;

// Owning handles for the GObject and GError values used below.
struct GObjectDeleter {
    void operator()(gpointer object) const
    {
        if (object)
            g_object_unref(object);
    }
};
template <class T>
using GRef = std::unique_ptr<T, GObjectDeleter>;

struct GErrorHolder {
    GError* error = nullptr;
    ~GErrorHolder()
    {
        if (error)
            g_error_free(error);
    }
    GError** out() { return &error; }
    WorkspaceError toError(const QString& context) const
    {
        WorkspaceError result;
        result.domain = error ? QString::fromUtf8(g_quark_to_string(error->domain)) : kErrorDomain;
        result.code = error ? error->code : 0;
        result.localizedDescription = context;
        if (error) {
            result.reason = reasonForGError(error);
            result.localizedDescription += QStringLiteral(": ") + QString::fromUtf8(error->message);
        }
        return result;
    }
    bool is(GQuark domain, int code) const { return error && error->domain == domain && error->code == code; }
};

struct GFreeDeleter {
    void operator()(gpointer p) const { g_free(p); }
};
using GString = std::unique_ptr<char, GFreeDeleter>;

struct GKeyFileDeleter {
    void operator()(GKeyFile* keyFile) const { g_key_file_unref(keyFile); }
};

WorkspaceError makeError(int code, const QString& text)
{
    return WorkspaceError{kErrorDomain, code, text, QString()};
}

// Launches run on this pool so the caller never waits on a process start or
// on D-Bus activation; the answer comes back on the main thread.
QThreadPool& launchPool()
{
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool;
        p->setMaxThreadCount(2);
        p->setExpiryTimeout(5000);
        return p;
    }();
    return *pool;
}

void deliver(const Workspace::Completion& completion, const std::optional<WorkspaceError>& error)
{
    if (!completion)
        return;
    MainQueue::async([completion, error] { completion(error); });
}

// A startup-notification id that carries the X server's time, so that the
// window manager lets the new window take the focus (focus-stealing
// prevention compares it with the user's last interaction). None without an
// X display.
std::optional<QByteArray> makeStartupId(WindowList& display)
{
    const std::optional<quint32> time = display.serverTime();
    if (!time)
        return std::nullopt;
    static std::atomic<quint64> sequence{0};
    return QByteArrayLiteral("vantel-") + QByteArray::number(QCoreApplication::applicationPid()) + '-'
        + QByteArray::number(++sequence) + QByteArrayLiteral("_TIME") + QByteArray::number(*time);
}

GRef<GAppLaunchContext> makeLaunchContext(const OpenConfiguration& configuration, WindowList& display)
{
    GRef<GAppLaunchContext> context(g_app_launch_context_new());
    // A launch that is not meant to take focus must not inherit our own
    // activation token, or the new window would steal it.
    if (!configuration.activates) {
        g_app_launch_context_unsetenv(context.get(), "DESKTOP_STARTUP_ID");
        g_app_launch_context_unsetenv(context.get(), "XDG_ACTIVATION_TOKEN");
    } else {
        if (const std::optional<QByteArray> startupId = makeStartupId(display))
            g_app_launch_context_setenv(context.get(), "DESKTOP_STARTUP_ID", startupId->constData());
        // A token the desktop handed us (with a hotkey press) serves one launch.
        if (const QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN"); !token.isEmpty()) {
            g_app_launch_context_setenv(context.get(), "XDG_ACTIVATION_TOKEN", token.constData());
            qunsetenv("XDG_ACTIVATION_TOKEN");
        }
    }
    return context;
}

// The bus name of an entry that declares DBusActivatable: its desktop ID
// without ".desktop", when that is a well-known bus name; else empty.
QString busNameOf(const DesktopEntry& entry)
{
    if (!entry.dbusActivatable())
        return {};
    QString appId = QFileInfo(entry.path()).fileName();
    appId.chop(int(qstrlen(".desktop")));
    const QByteArray name = appId.toUtf8();
    return g_dbus_is_name(name.constData()) && !g_dbus_is_unique_name(name.constData()) ? appId : QString();
}

// A call of org.freedesktop.Application (Activate, Open) on the application,
// with the platform data that lets its window take the focus.
QDBusMessage applicationCall(const QString& appId, const QString& method, QVariantList arguments, WindowList& display)
{
    QString path = QLatin1Char('/') + appId;
    path.replace(QLatin1Char('.'), QLatin1Char('/')).replace(QLatin1Char('-'), QLatin1Char('_'));
    QVariantMap platformData;
    if (const std::optional<QByteArray> startupId = makeStartupId(display))
        platformData.insert(QStringLiteral("desktop-startup-id"), QString::fromUtf8(*startupId));
    if (const QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN"); !token.isEmpty()) {
        platformData.insert(QStringLiteral("activation-token"), QString::fromUtf8(token));
        qunsetenv("XDG_ACTIVATION_TOKEN");
    }
    QDBusMessage message = QDBusMessage::createMethodCall(appId, path, QStringLiteral("org.freedesktop.Application"), method);
    message.setArguments(arguments << platformData);
    return message;
}

// A running application that declares DBusActivatable is asked over D-Bus
// to come forward (org.freedesktop.Application.Activate on its desktop id),
// which also works where no window list can be read (Wayland). False when it
// does not declare it, is not running or does not answer.
bool activateThroughDBus(const DesktopEntry& entry, WindowList& display)
{
    const QString appId = busNameOf(entry);
    QDBusConnection bus = Workspace::shared().applicationBus();
    // The bus itself answers this one (QDBusReply checks its type): no peer can own its name.
    if (appId.isEmpty() || !bus.isConnected() || !bus.interface() || !bus.interface()->isServiceRegistered(appId).value())
        return false;
    const QDBusMessage activate = applicationCall(appId, QStringLiteral("Activate"), {}, display);
    static const DBusSignature activated(Log::defaultHandle(),
                                         QStringLiteral("An application's answer to Activate"), QString());
    const QDBusMessage reply = bus.call(activate, QDBus::Block, 3000);
    if (!activated.accepts(reply)) {
        VLOG(Log::defaultHandle(), LogType::Info, "Workspace: %{public}@ did not come forward over D-Bus: %{public}@",
             appId, reply.type() == QDBusMessage::ErrorMessage ? reply.errorMessage() : reply.signature());
        return false;
    }
    VLOG(Log::defaultHandle(), LogType::Info, "Workspace: activated %{public}@ over D-Bus", appId);
    return true;
}

// A DBusActivatable application is started by the bus from its service file,
// with the documents to open, not by its Exec, which it may lack. GIO does
// this only for entries it reads itself, so it is done here; as GIO, without
// waiting for the application's answer.
bool startThroughDBus(const DesktopEntry& entry, const QList<QUrl>& documents, WindowList& display)
{
    const QString appId = busNameOf(entry);
    QDBusConnection bus = Workspace::shared().applicationBus();
    if (appId.isEmpty() || !bus.isConnected())
        return false;
    QStringList uris;
    for (const QUrl& document : documents)
        uris << document.toString(QUrl::FullyEncoded);
    const QDBusMessage message = uris.isEmpty() ? applicationCall(appId, QStringLiteral("Activate"), {}, display)
                                                : applicationCall(appId, QStringLiteral("Open"), {uris}, display);
    if (!bus.send(message))
        return false;
    VLOG(Log::defaultHandle(), LogType::Info, "Workspace: started %{public}@ over D-Bus", appId);
    return true;
}

// A trusted desktop entry that declares an application is launched; any
// other file, a downloaded desktop entry among them, opens as a document.
// Read once, within its bound: all that follows uses these bytes.
std::optional<DesktopEntry> applicationEntryAt(const QString& path)
{
    if (!path.endsWith(QStringLiteral(".desktop")) || !FileFacts::isTrustedDesktopEntry(path))
        return std::nullopt;
    std::optional<DesktopEntry> entry = DesktopEntry::load(path);
    if (!entry || !entry->isApplication())
        return std::nullopt;
    return entry;
}

// GIO gets the checked bytes, never the path: opening it again would wait
// forever on a FIFO swapped in since, or read a file grown past the bound.
// GIO fills %k and the variables that tell which entry a process came from
// (GIO_LAUNCHED_DESKTOP_FILE and its PID) only from the name of the file it
// read, which it takes only at construction: the class's own setter gives it.
GRef<GDesktopAppInfo> desktopAppInfoOf(const DesktopEntry& entry)
{
    const QByteArray data = entry.data();
    std::unique_ptr<GKeyFile, GKeyFileDeleter> keyFile(g_key_file_new());
    if (data.isEmpty() || !g_key_file_load_from_data(keyFile.get(), data.constData(), gsize(data.size()),
                                                     G_KEY_FILE_NONE, nullptr))
        return {};
    GRef<GDesktopAppInfo> app(g_desktop_app_info_new_from_keyfile(keyFile.get()));
    GParamSpec* filename = app ? g_object_class_find_property(G_OBJECT_GET_CLASS(app.get()), "filename") : nullptr;
    if (filename && !g_desktop_app_info_get_filename(app.get()) && G_PARAM_SPEC_VALUE_TYPE(filename) == G_TYPE_STRING) {
        GValue value = G_VALUE_INIT;
        g_value_init(&value, G_TYPE_STRING);
        g_value_set_string(&value, QFile::encodeName(entry.path()).constData());
        auto* owner = static_cast<GObjectClass*>(g_type_class_peek(filename->owner_type));
        owner->set_property(G_OBJECT(app.get()), filename->param_id, &value, filename);
        g_value_unset(&value);
    }
    return app;
}

GRef<GAppInfo> applicationOf(const DesktopEntry& entry, WorkspaceError* error)
{
    GRef<GAppInfo> app(G_APP_INFO(desktopAppInfoOf(entry).release()));
    if (!app)
        *error = makeError(WorkspaceError::entryUnusable, QStringLiteral("The application \"%1\" cannot be launched: its desktop entry is invalid or its program is missing").arg(entry.path()));
    return app;
}

// The desktop entry (read into `entry`) or executable as a GAppInfo, or an
// error saying why not.
GRef<GAppInfo> applicationAt(const QString& applicationPath, std::optional<DesktopEntry>& entry, WorkspaceError* error)
{
    const QFileInfo info(applicationPath);
    if (applicationPath.isEmpty() || !info.exists()) {
        *error = makeError(WorkspaceError::applicationMissing, QStringLiteral("The application \"%1\" does not exist").arg(applicationPath));
        return {};
    }
    if (applicationPath.endsWith(QStringLiteral(".desktop"))) {
        if (!FileFacts::isTrustedDesktopEntry(applicationPath)) {
            *error = makeError(WorkspaceError::entryNotTrusted, QStringLiteral("The application \"%1\" is not launched: its desktop entry lies outside the applications folders and is not executable").arg(applicationPath));
            return {};
        }
        QString unreadable;
        entry = DesktopEntry::load(applicationPath, &unreadable);
        if (!entry) {
            *error = makeError(WorkspaceError::entryUnusable, QStringLiteral("The application \"%1\" cannot be launched: %2").arg(applicationPath, unreadable));
            return {};
        }
        return applicationOf(*entry, error);
    }
    if (info.isFile() && info.isExecutable()) {
        // Folder browsers and other plain programs get each document as a path.
        GString quoted(g_shell_quote(QFile::encodeName(info.absoluteFilePath()).constData()));
        GErrorHolder gerror;
        GRef<GAppInfo> app(g_app_info_create_from_commandline(quoted.get(), info.fileName().toUtf8().constData(),
                                                              G_APP_INFO_CREATE_NONE, gerror.out()));
        if (!app)
            *error = gerror.toError(QStringLiteral("The application \"%1\" cannot be launched").arg(applicationPath));
        return app;
    }
    *error = makeError(WorkspaceError::notAnApplication, QStringLiteral("\"%1\" is not an application").arg(applicationPath));
    return {};
}

// Runs in the child between fork and exec: only async-signal-safe calls.
void startInHomeFolder(gpointer folder)
{
    // A folder that can't be entered leaves the child where it is.
    if (folder && chdir(static_cast<const char*>(folder)) != 0)
        return;
}

// Launched applications start in the home folder, as from the desktop's own
// menus, not in whatever folder Vantel was started from; an entry's own
// "Path" key still decides where it starts.
gboolean launchInHomeFolder(GAppInfo* app, GList* uris, GAppLaunchContext* context, GError** error)
{
    if (!G_IS_DESKTOP_APP_INFO(app))
        return g_app_info_launch_uris(app, uris, context, error);
    GString ownFolder(g_desktop_app_info_get_string(G_DESKTOP_APP_INFO(app), "Path"));
    const QByteArray home = QFile::encodeName(QDir::homePath());
    const bool useHome = (!ownFolder || !*ownFolder.get()) && QFileInfo(QDir::homePath()).isDir();
    return g_desktop_app_info_launch_uris_as_manager(
        G_DESKTOP_APP_INFO(app), uris, context, G_SPAWN_SEARCH_PATH, useHome ? startInHomeFolder : nullptr,
        useHome ? const_cast<char*>(home.constData()) : nullptr, nullptr, nullptr, error);
}

// Why a program did not start, for the user: the causes an exec has.
QString reasonForFailedStart(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return localized("The program to start, or the interpreter its first line names, was not found.");
    case EACCES:
    case EPERM:
        return localized("The program to start, or the interpreter its first line names, may not be run.");
    case ENOEXEC:
        return localized("The program to start is in a format this system can't run.");
    default:
        return reasonForErrno(error);
    }
}

struct ExecFields {
    QByteArray name;
    QByteArray icon;
    QByteArray desktopFile;
};

QByteArray shellQuoted(const QByteArray& text)
{
    GString quoted(g_shell_quote(text.constData()));
    return QByteArray(quoted.get());
}

// A document for %f: a local path (a mounted remote one through GIO's own
// mount), else nothing.
QByteArray documentPath(const QUrl& document)
{
    if (document.isLocalFile())
        return QFile::encodeName(document.toLocalFile());
    GRef<GFile> file(g_file_new_for_uri(document.toString(QUrl::FullyEncoded).toUtf8().constData()));
    GString path(g_file_get_path(file.get()));
    return path ? QByteArray(path.get()) : QByteArray();
}

// The Exec line with its field codes filled in and split by the shell rules
// GIO applies to it, as GIO fills them in. %f and %u take the first of `documents`, %F and %U all
// of them; what they take is removed, and `tookDocuments` set. nullopt when
// the line can't be split.
std::optional<QStringList> expandedExec(const QByteArray& exec, const ExecFields& fields, QList<QUrl>& documents,
                                        bool& tookDocuments)
{
    // As GIO: %u and %U too get a path where the URL has one, unless it
    // points into the file (#).
    const auto value = [](char code, const QUrl& document) {
        if (code == 'f' || code == 'F')
            return documentPath(document);
        const QByteArray path = document.hasFragment() ? QByteArray() : documentPath(document);
        return path.isEmpty() ? document.toString(QUrl::FullyEncoded).toUtf8() : path;
    };
    QByteArray line;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        if (exec[i] != '%' || i + 1 == exec.size()) {
            line += exec[i];
            continue;
        }
        const char code = exec[++i];
        switch (code) {
        case 'f':
        case 'u':
            if (!documents.isEmpty()) {
                tookDocuments = true;
                if (const QByteArray text = value(code, documents.takeFirst()); !text.isEmpty())
                    line += shellQuoted(text);
            }
            break;
        case 'F':
        case 'U':
            tookDocuments = tookDocuments || !documents.isEmpty();
            for (bool first = true; !documents.isEmpty();) {
                if (const QByteArray text = value(code, documents.takeFirst()); !text.isEmpty()) {
                    line += (first ? "" : " ") + shellQuoted(text);
                    first = false;
                }
            }
            break;
        case 'i':
            if (!fields.icon.isEmpty())
                line += "--icon " + shellQuoted(fields.icon);
            break;
        case 'c':
            line += shellQuoted(fields.name);
            break;
        case 'k':
            if (!fields.desktopFile.isEmpty())
                line += shellQuoted(fields.desktopFile);
            break;
        case '%':
            line += '%';
            break;
        default: // the deprecated codes stand for nothing
            break;
        }
    }
    gint count = 0;
    gchar** arguments = nullptr;
    if (!g_shell_parse_argv(line.constData(), &count, &arguments, nullptr))
        return std::nullopt;
    QStringList result;
    for (gint i = 0; i < count; ++i)
        result << QFile::decodeName(arguments[i]);
    g_strfreev(arguments);
    return result;
}

// GIO starts every program through a helper of its own that swallows a
// failed exec (an interpreter that isn't there, no permission, a format the
// system can't run): such a launch looked like a success. So the entry's
// program is started here, as GIO would start it, and an exec that fails is
// an error; one that succeeds is not waited on. A program with documents for
// %f or %u is started once per document.
std::optional<WorkspaceError> startDesktopApplication(GDesktopAppInfo* app, QList<QUrl> documents,
                                                      GAppLaunchContext* context)
{
    const char* name = g_app_info_get_name(G_APP_INFO(app));
    const QString shownName = QString::fromUtf8(name ? name : "");
    const char* exec = g_app_info_get_commandline(G_APP_INFO(app));
    const char* desktopFile = g_desktop_app_info_get_filename(app);
    GString icon(g_desktop_app_info_get_string(app, "Icon"));
    const ExecFields fields{QByteArray(name ? name : ""), QByteArray(icon ? icon.get() : ""),
                            QByteArray(desktopFile ? desktopFile : "")};

    Process::Start start;
    gchar** environment = g_app_launch_context_get_environment(context);
    for (gchar** variable = environment; variable && *variable; ++variable) {
        // Vantel's own, when it was itself started from an entry.
        if (!g_str_has_prefix(*variable, "GIO_LAUNCHED_DESKTOP_FILE=")
            && !g_str_has_prefix(*variable, "GIO_LAUNCHED_DESKTOP_FILE_PID="))
            start.environment << QFile::decodeName(*variable);
    }
    g_strfreev(environment);
    // What tells which entry a process came from (RunningApplications reads it).
    if (desktopFile) {
        start.environment << QStringLiteral("GIO_LAUNCHED_DESKTOP_FILE=") + QFile::decodeName(desktopFile);
        start.processIdVariable = QByteArrayLiteral("GIO_LAUNCHED_DESKTOP_FILE_PID");
    }
    // As from the desktop's own menus: the entry's "Path", else the home
    // folder, not whatever folder Vantel was started from.
    GString ownFolder(g_desktop_app_info_get_string(app, "Path"));
    if (ownFolder && *ownFolder.get())
        start.workingDirectory = QFile::decodeName(ownFolder.get());
    else if (QFileInfo(QDir::homePath()).isDir())
        start.workingDirectory = QDir::homePath();

    do {
        bool tookDocuments = false;
        std::optional<QStringList> arguments =
            expandedExec(QByteArray(exec ? exec : ""), fields, documents, tookDocuments);
        if (!arguments || arguments->isEmpty())
            return makeError(WorkspaceError::entryUnusable,
                             QStringLiteral("The application \"%1\" cannot be launched: its Exec line can't be read")
                                 .arg(shownName));
        start.program = arguments->takeFirst();
        start.arguments = *arguments;
        if (const int error = Process::start(start)) {
            WorkspaceError failure = makeError(
                WorkspaceError::programNotStarted,
                QStringLiteral("Launching \"%1\" failed: %2 could not be started: %3")
                    .arg(shownName, start.program, QString::fromStdString(std::system_category().message(error))));
            failure.reason = reasonForFailedStart(error);
            return failure;
        }
        if (!tookDocuments)
            break;
    } while (!documents.isEmpty());
    return std::nullopt;
}

std::optional<WorkspaceError> launch(GAppInfo* app, const QList<QUrl>& documents, const OpenConfiguration& configuration,
                                     WindowList& display)
{
    GRef<GAppLaunchContext> context = makeLaunchContext(configuration, display);
    // GIO itself finds the terminal for an entry that runs in one.
    const bool ownStart = G_IS_DESKTOP_APP_INFO(app) && !g_desktop_app_info_get_boolean(G_DESKTOP_APP_INFO(app), "Terminal");
    GErrorHolder gerror;
    bool ok = true;
    if (ownStart) {
        if (std::optional<WorkspaceError> failure = startDesktopApplication(G_DESKTOP_APP_INFO(app), documents, context.get()))
            return failure;
    } else {
        GList* uris = nullptr;
        QList<QByteArray> storage;
        storage.reserve(documents.size());
        for (const QUrl& document : documents) {
            storage.append(document.toString(QUrl::FullyEncoded).toUtf8());
            uris = g_list_append(uris, storage.last().data());
        }
        ok = launchInHomeFolder(app, uris, context.get(), gerror.out());
        g_list_free(uris);
    }
    if (ok) {
        // Remembered across a restart: the application may have ended before
        // anything saw it run.
        if (G_IS_DESKTOP_APP_INFO(app)) {
            if (const char* file = g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(app)))
                LaunchHistory::shared().record(QFile::decodeName(file));
        }
        RunningApplications::applicationLaunched();
        return std::nullopt;
    }
    const char* name = g_app_info_get_name(app);
    WorkspaceError error =
        gerror.toError(QStringLiteral("Launching \"%1\" failed").arg(QString::fromUtf8(name ? name : "")));
    // GIO names a missing terminal only in words, under its generic code: an
    // entry that asks for a terminal and fails with that code found none.
    if (gerror.is(G_IO_ERROR, G_IO_ERROR_FAILED) && G_IS_DESKTOP_APP_INFO(app)
        && g_desktop_app_info_get_boolean(G_DESKTOP_APP_INFO(app), "Terminal")) {
        error.domain = kErrorDomain;
        error.code = WorkspaceError::terminalMissing;
    }
    return error;
}

// The desktop ID of an entry below an "applications" folder, else its file name.
QString desktopIdOf(const QString& path)
{
    const qsizetype folder = path.lastIndexOf(QStringLiteral("/applications/"));
    if (folder >= 0)
        return DesktopEntry::desktopId(path, path.left(folder + qsizetype(sizeof "/applications") - 1));
    return QFileInfo(path).fileName();
}

// The topmost window of the entry's application, when it runs and shows one
// on the X display; matched as the running-applications list matches.
std::optional<quint32> runningWindowOf(const DesktopEntry& entry, WindowList& display)
{
    const QList<WindowInfo> windows = display.windows();
    if (windows.isEmpty())
        return std::nullopt;
    const QString path = QDir::cleanPath(entry.path());
    const ApplicationMatcher matcher({IndexedApplication{path, desktopIdOf(path), QFileInfo(path).absolutePath(), entry}});
    const QList<WindowInfo> own = matcher.windowsOf(path, ApplicationMatcher::readProcesses(), windows);
    if (own.isEmpty())
        return std::nullopt;
    return own.last().window;
}

// Opening an application that already shows a window brings that window
// forward instead of starting another copy, unless a new instance is asked
// for; documents still go to it through a launch, which running
// applications hand on to their open instance.
std::optional<WorkspaceError> launchOrActivate(GAppInfo* app, const QString& desktopPath, const DesktopEntry* entry,
                                               const QList<QUrl>& documents, const OpenConfiguration& configuration)
{
    WindowList display;
    if (configuration.activates && !configuration.createsNewApplicationInstance && entry) {
        if (documents.isEmpty() && activateThroughDBus(*entry, display)) {
            LaunchHistory::shared().record(desktopPath);
            return std::nullopt;
        }
        if (const std::optional<quint32> window = runningWindowOf(*entry, display)) {
            const quint32 time = display.serverTime().value_or(0);
            if (display.activate(*window, time)) {
                VLOG(Log::defaultHandle(), LogType::Info, "Workspace: activated the window of %{public}@",
                     desktopPath);
                if (documents.isEmpty()) {
                    LaunchHistory::shared().record(desktopPath);
                    return std::nullopt;
                }
            }
        }
    }
    if (entry && startThroughDBus(*entry, documents, display)) {
        LaunchHistory::shared().record(desktopPath);
        RunningApplications::applicationLaunched();
        return std::nullopt;
    }
    return launch(app, documents, configuration, display);
}

// The content type of a local file: sniffed from its contents when readable,
// else guessed from its name.
QByteArray contentTypeOf(const QString& path)
{
    GRef<GFile> file(g_file_new_for_path(QFile::encodeName(path).constData()));
    GRef<GFileInfo> info(g_file_query_info(file.get(), G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                           G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
    if (info) {
        if (const char* type = g_file_info_get_content_type(info.get()))
            return QByteArray(type);
    }
    GString guessed(g_content_type_guess(QFile::encodeName(path).constData(), nullptr, 0, nullptr));
    return guessed ? QByteArray(guessed.get()) : QByteArray();
}

GRef<GAppInfo> defaultApplicationFor(const QUrl& url)
{
    if (url.isLocalFile()) {
        const QByteArray type = contentTypeOf(url.toLocalFile());
        if (type.isEmpty())
            return {};
        return GRef<GAppInfo>(g_app_info_get_default_for_type(type.constData(), FALSE));
    }
    const QString scheme = url.scheme();
    if (scheme.isEmpty())
        return {};
    return GRef<GAppInfo>(g_app_info_get_default_for_uri_scheme(scheme.toUtf8().constData()));
}

std::optional<WorkspaceError> openNow(const QUrl& url, const OpenConfiguration& configuration)
{
    if (!url.isValid() || url.isEmpty())
        return makeError(WorkspaceError::invalidURL, QStringLiteral("The URL \"%1\" is not valid").arg(url.toString()));

    if (url.isLocalFile()) {
        const QString path = url.toLocalFile();
        if (!QFileInfo::exists(path))
            return makeError(WorkspaceError::fileMissing, QStringLiteral("The file \"%1\" does not exist").arg(path));
        if (const std::optional<DesktopEntry> entry = applicationEntryAt(path)) {
            WorkspaceError error;
            GRef<GAppInfo> app = applicationOf(*entry, &error);
            if (!app)
                return error;
            return launchOrActivate(app.get(), path, &*entry, {}, configuration);
        }
        GRef<GAppInfo> app = defaultApplicationFor(url);
        if (!app)
            return makeError(WorkspaceError::noDefaultApplication, QStringLiteral("No application is set to open \"%1\"").arg(path));
        WindowList display;
        return launch(app.get(), {QUrl::fromLocalFile(path)}, configuration, display);
    }

    WindowList display;
    // A handler of the scheme starts like any other application.
    if (GRef<GAppInfo> handler = defaultApplicationFor(url); handler && G_IS_DESKTOP_APP_INFO(handler.get()))
        return launch(handler.get(), {url}, configuration, display);
    GRef<GAppLaunchContext> context = makeLaunchContext(configuration, display);
    GErrorHolder gerror;
    const QByteArray uri = url.toString(QUrl::FullyEncoded).toUtf8();
    if (g_app_info_launch_default_for_uri(uri.constData(), context.get(), gerror.out())) {
        RunningApplications::applicationLaunched();
        return std::nullopt;
    }
    WorkspaceError error = gerror.toError(QStringLiteral("Opening \"%1\" failed").arg(url.toString()));
    // No handler of the scheme is set, and GIO found no other way to open it.
    if (gerror.is(G_IO_ERROR, G_IO_ERROR_NOT_SUPPORTED)) {
        error.domain = kErrorDomain;
        error.code = WorkspaceError::noDefaultApplication;
    }
    return error;
}

} // namespace

Workspace& Workspace::shared()
{
    static Workspace* instance = new Workspace;
    return *instance;
}

void Workspace::openURL(const QUrl& url, const OpenConfiguration& configuration, Completion completion)
{
    launchPool().start([url, configuration, completion = std::move(completion)] {
        const std::optional<WorkspaceError> error = openNow(url, configuration);
        if (error)
            VLOG(Log::defaultHandle(), LogType::Error, "Workspace: %{public}@", error->localizedDescription);
        deliver(completion, error);
    });
}

void Workspace::openURLs(const QList<QUrl>& documents, const QString& applicationPath,
                         const OpenConfiguration& configuration, Completion completion)
{
    launchPool().start([documents, applicationPath, configuration, completion = std::move(completion)] {
        WorkspaceError error;
        std::optional<DesktopEntry> entry;
        GRef<GAppInfo> app = applicationAt(applicationPath, entry, &error);
        std::optional<WorkspaceError> result =
            app ? launchOrActivate(app.get(), applicationPath, entry ? &*entry : nullptr, documents, configuration)
                : std::optional<WorkspaceError>(error);
        if (result)
            VLOG(Log::defaultHandle(), LogType::Error, "Workspace: %{public}@", result->localizedDescription);
        deliver(completion, result);
    });
}

std::optional<QString> Workspace::urlForApplicationToOpen(const QUrl& url) const
{
    if (!url.isValid() || url.isEmpty())
        return std::nullopt;
    GRef<GAppInfo> app = defaultApplicationFor(url);
    if (!app || !G_IS_DESKTOP_APP_INFO(app.get()))
        return std::nullopt;
    const char* filename = g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(app.get()));
    if (!filename)
        return std::nullopt;
    return QFile::decodeName(filename);
}

void Workspace::revealInFileViewer(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    callFileManager(QStringLiteral("ShowItems"), paths, QFileInfo(paths.first()).absolutePath());
}

void Workspace::showFolderInFileViewer(const QString& folderPath, Completion completion)
{
    if (folderPath.isEmpty()) {
        deliver(completion, makeError(WorkspaceError::fileMissing, QStringLiteral("No folder to show")));
        return;
    }
    callFileManager(QStringLiteral("ShowFolders"), {folderPath}, folderPath, std::move(completion));
}

void Workspace::callFileManager(const QString& method, const QStringList& paths, const QString& fallbackFolder,
                                Completion completion)
{
    // The watcher needs the main thread's event loop.
    if (!MainQueue::isMainThread()) {
        MainQueue::async([this, method, paths, fallbackFolder, completion] {
            callFileManager(method, paths, fallbackFolder, completion);
        });
        return;
    }
    auto openFallback = [fallbackFolder, completion] {
        VLOG(Log::defaultHandle(), LogType::Info, "Workspace: no file manager service, opening %{public}@", fallbackFolder);
        Workspace::shared().openURL(QUrl::fromLocalFile(fallbackFolder), OpenConfiguration{}, completion);
    };
    QDBusConnection bus = fileManagerBus_ ? *fileManagerBus_ : QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openFallback();
        return;
    }
    QStringList uris;
    for (const QString& path : paths)
        uris << QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
    QDBusMessage message = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), method);
    message << uris << QString();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, 5000), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [openFallback, completion](QDBusPendingCallWatcher* call) {
                         static const DBusSignature shown(Log::defaultHandle(),
                                                          QStringLiteral("The file manager's answer"), QString());
                         if (!shown.accepts(call->reply()))
                             openFallback();
                         else
                             deliver(completion, std::nullopt);
                         call->deleteLater();
                     });
}

void Workspace::setFileManagerBus(const QDBusConnection& bus)
{
    fileManagerBus_ = bus;
}

void Workspace::setApplicationBus(const QDBusConnection& bus)
{
    applicationBus_ = bus;
}

QDBusConnection Workspace::applicationBus() const
{
    return applicationBus_ ? *applicationBus_ : QDBusConnection::sessionBus();
}

QIcon Workspace::iconForFile(const QString& path) const
{
    if (path.isEmpty())
        return {};
    GRef<GIcon> icon;
    if (const std::optional<DesktopEntry> entry = applicationEntryAt(path)) {
        if (GRef<GDesktopAppInfo> app = desktopAppInfoOf(*entry)) {
            if (GIcon* appIcon = g_app_info_get_icon(G_APP_INFO(app.get())))
                icon.reset(G_ICON(g_object_ref(appIcon)));
        }
    } else {
        const QByteArray contentType = QFileInfo(path).isDir() ? QByteArray("inode/directory") : contentTypeOf(path);
        if (!contentType.isEmpty())
            icon.reset(g_content_type_get_icon(contentType.constData()));
    }
    if (!icon)
        return {};
    if (G_IS_FILE_ICON(icon.get())) {
        GString file(g_file_get_path(g_file_icon_get_file(G_FILE_ICON(icon.get()))));
        return file ? QIcon(QFile::decodeName(file.get())) : QIcon();
    }
    if (G_IS_THEMED_ICON(icon.get())) {
        const gchar* const* names = g_themed_icon_get_names(G_THEMED_ICON(icon.get()));
        for (int i = 0; names && names[i]; ++i) {
            const QString name = QString::fromUtf8(names[i]);
            if (name.startsWith(QLatin1Char('/')) && QFileInfo::exists(name))
                return QIcon(name);
            if (QIcon::hasThemeIcon(name))
                return QIcon::fromTheme(name);
        }
    }
    return {};
}

} // namespace vantel::platform
