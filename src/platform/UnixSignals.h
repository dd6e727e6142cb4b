#pragma once

#include <QObject>

namespace vantel::platform {

// Turns SIGTERM and SIGINT into an orderly QCoreApplication::quit() on the
// main thread: the handler only writes to a pipe, the event loop does the rest.
class UnixSignals : public QObject {
    Q_OBJECT
public:
    explicit UnixSignals(QObject* parent = nullptr);
    ~UnixSignals() override;

    // The signal number that asked the program to quit, or 0.
    int receivedSignal() const { return received_; }

signals:
    void quitRequested(int signalNumber);

private:
    void handleReadable();
    int received_ = 0;
};

} // namespace vantel::platform
