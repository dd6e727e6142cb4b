#include "platform/SingleInstance.h"

#include "platform/LocalizedStrings.h"
#include "platform/Log.h"
#include "platform/XdgPaths.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>

#include <algorithm>
#include <limits>

#include <cerrno>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#ifndef VANTEL_BUNDLE_ID
#define VANTEL_BUNDLE_ID "net.tarnwick.vantel"
#endif

namespace vantel::platform {

namespace {

using namespace std::chrono_literals;

// A client that connects and never finishes its line is dropped after this.
constexpr auto kConnectionTimeout = 5s;
// How long listen() waits for another starting instance to finish its check.
constexpr auto kLockTimeout = 2s;
// How long a connect to an existing socket may take before it counts as live.
constexpr auto kProbeTimeout = 500ms;
// Answers are a few bytes; anything longer is not our server.
constexpr qsizetype kMaximumAnswerSize = 64 * 1024;

const LogCategory& category()
{
    static const LogCategory handle("singleInstance");
    return handle;
}

QString socketName()
{
    return QStringLiteral(VANTEL_BUNDLE_ID ".socket");
}

// A folder for the socket must be this user's and writable by nobody else:
// whoever may write to it can put another socket in its place.
bool isSafeFolder(const struct stat& info)
{
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 022) == 0;
}

// The runtime folder the session names, when it exists and is safe (su,
// sudo -u and some ssh sessions name a missing one, or another user's).
QString runtimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !QDir::isAbsolutePath(runtime))
        return {};
    const QString path = QDir::cleanPath(runtime);
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !isSafeFolder(info))
        return {};
    return path;
}

// A folder of this user's own, created 0700 when missing; one of ours that
// others may enter is closed again. A link or another user's folder in its
// place is refused, never followed.
QString privateFolder(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid())
        return {};
    if ((info.st_mode & 077) != 0 && ::chmod(native.constData(), 0700) != 0)
        return {};
    return path;
}

// Whether a socket path fits into the address of a local socket.
bool fitsSocketAddress(const QString& path)
{
    return QFile::encodeName(path).size() < qsizetype(sizeof(sockaddr_un::sun_path));
}

// Untrusted text shown in a log line or an answer is kept short.
QString excerpt(const QString& text)
{
    constexpr qsizetype kLength = 64;
    return text.size() <= kLength ? text : text.left(kLength) + QStringLiteral("...");
}

int remainingMilliseconds(const QDeadlineTimer& deadline)
{
    return static_cast<int>(std::clamp<qint64>(deadline.remainingTime(), 0, std::numeric_limits<int>::max()));
}

QByteArray answerLine(const QString& error)
{
    QJsonObject answer{{QStringLiteral("ok"), error.isEmpty()}};
    if (!error.isEmpty())
        answer.insert(QStringLiteral("error"), error);
    return QJsonDocument(answer).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace

// Message

QByteArray SingleInstance::Message::toJson() const
{
    QJsonObject object;
    switch (command) {
    case Command::Ping:
        object.insert(QStringLiteral("command"), QStringLiteral("ping"));
        break;
    case Command::Toggle:
        object.insert(QStringLiteral("command"), QStringLiteral("toggle"));
        break;
    case Command::Open:
        object.insert(QStringLiteral("command"), QStringLiteral("open"));
        object.insert(QStringLiteral("paths"), QJsonArray::fromStringList(paths));
        break;
    }
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<SingleInstance::Message> SingleInstance::Message::fromJson(const QByteArray& line, QString* error)
{
    const auto refuse = [error](const QString& why) -> std::optional<Message> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (line.size() > kMaximumMessageSize)
        return refuse(QStringLiteral("message too large"));
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(line, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return refuse(QStringLiteral("not JSON: ") + parseError.errorString());
    if (!document.isObject())
        return refuse(QStringLiteral("not a JSON object"));
    const QJsonObject object = document.object();
    const QJsonValue commandValue = object.value(QStringLiteral("command"));
    if (!commandValue.isString())
        return refuse(QStringLiteral("\"command\" missing or not a string"));
    const QString command = commandValue.toString();

    const auto onlyKeys = [&object](const QStringList& allowed) {
        const QStringList keys = object.keys();
        return std::all_of(keys.begin(), keys.end(), [&allowed](const QString& key) { return allowed.contains(key); });
    };
    if (command == QLatin1String("ping") || command == QLatin1String("toggle")) {
        if (!onlyKeys({QStringLiteral("command")}))
            return refuse(QStringLiteral("unexpected key in \"") + command + u'"');
        return command == QLatin1String("ping") ? ping() : toggle();
    }
    if (command != QLatin1String("open"))
        return refuse(QStringLiteral("unknown command \"") + excerpt(command) + u'"');

    if (!onlyKeys({QStringLiteral("command"), QStringLiteral("paths")}))
        return refuse(QStringLiteral("unexpected key in \"open\""));
    const QJsonValue pathsValue = object.value(QStringLiteral("paths"));
    if (!pathsValue.isArray())
        return refuse(QStringLiteral("\"paths\" missing or not an array"));
    const QJsonArray array = pathsValue.toArray();
    if (array.isEmpty())
        return refuse(QStringLiteral("\"paths\" is empty"));
    QStringList paths;
    paths.reserve(array.size());
    for (const QJsonValue& value : array) {
        if (!value.isString())
            return refuse(QStringLiteral("a path is not a string"));
        const QString path = value.toString();
        if (path.isEmpty())
            return refuse(QStringLiteral("a path is empty"));
        if (path.contains(QChar(u'\0')) || !path.startsWith(u'/'))
            return refuse(QStringLiteral("not an absolute path: ") + excerpt(path));
        paths.append(path);
    }
    return open(paths);
}

// Client

QString SingleInstance::defaultSocketPath()
{
    // The session's runtime folder; else one of this user's under the
    // temporary folder; else, when someone else took that name, one in the
    // user's own cache folder. Every start of the same user finds the same.
    // A folder is made only where the one before it can't serve.
    const auto socketIn = [](const QString& folder) {
        const QString path = folder + u'/' + socketName();
        return !folder.isEmpty() && fitsSocketAddress(path) ? path : QString();
    };
    if (const QString path = socketIn(runtimeFolder()); !path.isEmpty())
        return path;
    const QString temporary =
        privateFolder(QDir::tempPath() + QStringLiteral("/" VANTEL_BUNDLE_ID "-") + QString::number(::getuid()));
    if (!temporary.isEmpty())
        return socketIn(temporary);
    QDir().mkpath(XdgPaths::cacheHome());
    return socketIn(privateFolder(XdgPaths::cacheHome() + QStringLiteral("/Vantel")));
}

SingleInstance::Reply SingleInstance::send(const Message& message, std::chrono::milliseconds timeout,
                                           const QString& socketPath)
{
    if (socketPath.isEmpty())
        return {Reply::Status::NotRunning, localized("no folder for the socket")};
    const QDeadlineTimer deadline(timeout);
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    if (!socket.waitForConnected(remainingMilliseconds(deadline))) {
        // A server that does not even accept in time still runs.
        if (socket.error() == QLocalSocket::SocketTimeoutError)
            return {Reply::Status::NoAnswer, socket.errorString()};
        return {Reply::Status::NotRunning, socket.errorString()};
    }
    socket.write(message.toJson() + '\n');
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(remainingMilliseconds(deadline)))
            return {Reply::Status::NoAnswer, localized("the message could not be sent: %1").arg(socket.errorString())};
    }
    while (!socket.canReadLine()) {
        if (socket.bytesAvailable() > kMaximumAnswerSize || deadline.hasExpired()
            || !socket.waitForReadyRead(remainingMilliseconds(deadline))) {
            // The server may have closed right after its answer.
            if (socket.canReadLine())
                break;
            return {Reply::Status::NoAnswer, localized("no answer")};
        }
    }
    const QByteArray line = socket.readLine(kMaximumAnswerSize).trimmed();
    socket.disconnectFromServer();

    const QJsonDocument document = QJsonDocument::fromJson(line);
    const QJsonValue ok = document.object().value(QStringLiteral("ok"));
    if (!document.isObject() || !ok.isBool())
        return {Reply::Status::NoAnswer, localized("malformed answer")};
    if (ok.toBool())
        return {Reply::Status::Accepted, {}};
    const QString error = document.object().value(QStringLiteral("error")).toString();
    return {Reply::Status::Refused, error.isEmpty() ? localized("refused") : error};
}

// Server

SingleInstance::SingleInstance(const QString& socketPath, QObject* parent)
    : QObject(parent), socketPath_(socketPath)
{
}

SingleInstance::~SingleInstance()
{
    close();
}

SingleInstance::ListenResult SingleInstance::listen()
{
    if (isListening())
        return ListenResult::Listening;
    errorString_.clear();
    if (socketPath_.isEmpty()) {
        errorString_ = localized("No folder for the socket is safe to use");
        return ListenResult::Failed;
    }
    if (!QFileInfo(QFileInfo(socketPath_).absolutePath()).isDir()) {
        errorString_ = localized("The folder of %1 does not exist").arg(socketPath_);
        return ListenResult::Failed;
    }

    QLockFile lock(socketPath_ + QStringLiteral(".lock"));
    if (!lock.tryLock(std::chrono::duration_cast<std::chrono::milliseconds>(kLockTimeout).count())) {
        errorString_ = localized("Another start holds the lock %1").arg(lock.fileName());
        return ListenResult::Failed;
    }

    const QFileInfo existing(socketPath_);
    if (existing.exists() || existing.isSymLink()) {
        QLocalSocket probe;
        probe.connectToServer(socketPath_);
        const bool connected = probe.waitForConnected(static_cast<int>(kProbeTimeout.count()));
        if (connected || probe.error() == QLocalSocket::SocketTimeoutError) {
            probe.abort();
            VLOG(category(), LogType::Default, "Another instance listens at %{public}@", socketPath_);
            return ListenResult::AnotherInstanceRuns;
        }
        // Nobody answers: left behind by an instance that crashed.
        VLOG(category(), LogType::Default, "Replacing the stale socket %{public}@", socketPath_);
        if (!QLocalServer::removeServer(socketPath_)) {
            errorString_ = localized("The stale socket %1 could not be removed").arg(socketPath_);
            return ListenResult::Failed;
        }
    }

    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(socketPath_)) {
        errorString_ = server->errorString();
        delete server;
        VLOG(category(), LogType::Error, "Cannot listen at %{public}@: %{public}@", socketPath_, errorString_);
        return ListenResult::Failed;
    }
    server_ = server;
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    return ListenResult::Listening;
}

bool SingleInstance::isListening() const
{
    return server_ && server_->isListening();
}

void SingleInstance::close()
{
    if (!server_)
        return;
    pending_.clear();
    server_->close(); // removes the socket file
    delete server_;   // and the open connections with it
    server_ = nullptr;
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        pending_.insert(socket, {});
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { forget(socket); });
        // The connection's own timer goes with it: a single-shot timer of
        // the event loop's would stay for its whole time after the answer,
        // and a burst of messages grew the loop's timer list for good.
        auto* timeout = new QTimer(socket);
        timeout->setSingleShot(true);
        connect(timeout, &QTimer::timeout, this, [this, socket] {
            if (!pending_.contains(socket))
                return;
            VLOG(category(), LogType::Error, "Dropped a connection that sent no complete message");
            forget(socket);
        });
        timeout->start(kConnectionTimeout);
        if (socket->bytesAvailable() > 0)
            readFrom(socket);
    }
}

void SingleInstance::readFrom(QLocalSocket* socket)
{
    const auto found = pending_.find(socket);
    if (found == pending_.end())
        return; // answered already; whatever follows the line is ignored
    QByteArray& buffer = found.value();
    // Never hold more than one line of the largest size plus its end.
    buffer += socket->read(kMaximumMessageSize + 1 - buffer.size());
    const qsizetype end = buffer.indexOf('\n');
    if (end < 0) {
        if (buffer.size() > kMaximumMessageSize) {
            pending_.erase(found);
            VLOG(category(), LogType::Error, "Refused a message: %{public}@", QStringLiteral("message too large"));
            answer(socket, QStringLiteral("message too large"));
        }
        return;
    }
    const QByteArray line = buffer.left(end);
    pending_.erase(found);

    QString error;
    const std::optional<Message> message = Message::fromJson(line, &error);
    if (!message) {
        VLOG(category(), LogType::Error, "Refused a message: %{public}@", error);
        answer(socket, error);
        return;
    }
    answer(socket, {});
    switch (message->command) {
    case Message::Command::Ping:
        emit pingReceived();
        break;
    case Message::Command::Toggle:
        emit toggleRequested();
        break;
    case Message::Command::Open:
        emit openRequested(message->paths);
        break;
    }
}

void SingleInstance::answer(QLocalSocket* socket, const QString& error)
{
    socket->write(answerLine(error));
    // Closes once the answer is written.
    socket->disconnectFromServer();
}

void SingleInstance::forget(QLocalSocket* socket)
{
    pending_.remove(socket);
    socket->abort();
    socket->deleteLater();
}

} // namespace vantel::platform
