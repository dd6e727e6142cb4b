#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <optional>

class QLocalServer;
class QLocalSocket;

namespace vantel::platform {

// The one running instance of the application, reachable over a local socket
// that only its user may open. A second start, the login-item launcher and
// "Open with" hand their requests to it instead of starting another copy.
//
// Protocol, one exchange per connection: the client writes one line of
// compact JSON ({"command":"ping"}, {"command":"toggle"} or
// {"command":"open","paths":["/abs/path", ...]}) ending in "\n"; the server
// answers one line, {"ok":true} or {"ok":false,"error":"..."}, and the client
// disconnects. Anything else (bad JSON, unknown command or key, wrong types,
// an empty or relative path, a line over 1 MiB) is logged and refused, never
// acted on.
//
// The server side lives on the thread that owns the object (the main
// thread); its signals are emitted there, after the answer has been queued.
// The client side, send(), blocks its caller for at most the timeout and
// needs no event loop, so it may run on any thread.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    struct Message {
        enum class Command { Ping, Toggle, Open };
        Command command = Command::Ping;
        QStringList paths; // Open only

        static Message ping() { return {Command::Ping, {}}; }
        static Message toggle() { return {Command::Toggle, {}}; }
        static Message open(const QStringList& paths) { return {Command::Open, paths}; }

        // The line the client writes, without its "\n".
        QByteArray toJson() const;
        // The message in `line` (without "\n"); none with `error` set when
        // it is not a valid message of the protocol.
        static std::optional<Message> fromJson(const QByteArray& line, QString* error = nullptr);

        bool operator==(const Message&) const = default;
    };

    struct Reply {
        enum class Status {
            Accepted,   // the running instance took the message
            Refused,    // it answered ok:false (see error)
            NotRunning, // nobody listens at the socket
            NoAnswer,   // connected, but no (valid) answer in time
        };
        Status status = Status::NotRunning;
        QString error;

        bool accepted() const { return status == Status::Accepted; }
        // Someone listens at the socket, whatever it answered.
        bool instanceRuns() const { return status != Status::NotRunning; }
        explicit operator bool() const { return accepted(); }
    };

    enum class ListenResult {
        Listening,           // this object now is the running instance
        AnotherInstanceRuns, // a live server answers at the socket
        Failed,              // the socket could not be made; see errorString()
    };

    static constexpr qsizetype kMaximumMessageSize = 1024 * 1024;
    static constexpr std::chrono::milliseconds kDefaultSendTimeout{1000};

    // $XDG_RUNTIME_DIR/net.tarnwick.vantel.socket when that folder exists,
    // is this user's and nobody else may write to it; else the same name in
    // a 0700 folder of this user under the temporary folder (created when
    // missing), else, when that name is taken by someone else, in
    // $XDG_CACHE_HOME/Vantel. Empty when no safe folder can be had.
    static QString defaultSocketPath();

    // Sends one message to the instance listening at `socketPath` and waits
    // for its answer, `timeout` in all.
    static Reply send(const Message& message, std::chrono::milliseconds timeout = kDefaultSendTimeout,
                      const QString& socketPath = defaultSocketPath());

    explicit SingleInstance(const QString& socketPath = defaultSocketPath(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // Becomes the running instance: a stale socket left by a crashed
    // instance (nobody accepts a connection) is replaced, a live one is left
    // alone. Checking and taking the socket is one step under a lock file, so
    // two instances starting together cannot both win.
    ListenResult listen();
    bool isListening() const;
    // Stops listening and removes the socket.
    void close();

    QString socketPath() const { return socketPath_; }
    QString errorString() const { return errorString_; }

signals:
    void pingReceived();
    void toggleRequested();
    void openRequested(const QStringList& paths);

private:
    void acceptConnections();
    void readFrom(QLocalSocket* socket);
    void answer(QLocalSocket* socket, const QString& error);
    void forget(QLocalSocket* socket);

    QString socketPath_;
    QString errorString_;
    QLocalServer* server_ = nullptr;
    // What each open connection has sent so far, until its line is complete.
    QHash<QLocalSocket*, QByteArray> pending_;
};

} // namespace vantel::platform
