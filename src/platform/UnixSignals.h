#pragma once

#include <QObject>

namespace vantel::platform {

// Turns SIGTERM, SIGINT and SIGHUP into an orderly QCoreApplication::quit()
// on the main thread: the handler only writes to a pipe, the event loop does
// the rest. A session's end often sends two of them at once (logind: SIGTERM,
// then SIGHUP); only the first asks to quit, later ones are ignored for as
// long as this object lives and after it, once a quit was asked for, so
// none can cut the termination short.
class UnixSignals : public QObject {
    Q_OBJECT
public:
    explicit UnixSignals(QObject* parent = nullptr);
    ~UnixSignals() override;

    // The signal number that asked the program to quit, or 0.
    int receivedSignal() const { return received_; }
    // True from the moment a quit signal arrives, before the event loop has
    // seen it, for as long as the object that took it lives: work that holds
    // the main thread for long (a launch over a huge list) asks it and stops,
    // so that the quit runs at once. Any thread may ask.
    static bool quitPending();

signals:
    void quitRequested(int signalNumber);

private:
    void handleReadable();
    int received_ = 0;
};

} // namespace vantel::platform
