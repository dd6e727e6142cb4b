#pragma once

#include <QByteArray>

#include <mutex>

namespace vantel::platform {

// Sends entries to the journal over its native datagram socket. Entries too
// large for a datagram travel in a sealed memfd, as the journal expects.
class JournalWriter {
public:
    static JournalWriter& shared();

    // True when the socket at the current path exists.
    bool available();
    // False when the journal could not be reached; the caller falls back.
    bool send(const QByteArray& entry);
    void setSocketPath(const QByteArray& path);

private:
    JournalWriter();
    bool sendInline(const QByteArray& entry, int& error);
    bool sendAsMemfd(const QByteArray& entry);

    std::mutex mutex_;
    QByteArray path_;
    int fd_ = -1;
    int availability_ = -1; // -1 unknown, 0 no, 1 yes
};

} // namespace vantel::platform
