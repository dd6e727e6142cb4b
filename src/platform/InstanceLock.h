#pragma once

#include <QString>

namespace vantel::platform {

// An exclusive lock on a file, held for the life of the object: at most one
// process of the user writes the settings beside it, whatever became of the
// single-instance socket. The kernel drops the lock when the process ends,
// however it ends, so no stale lock outlives a crash.
//
// The lock file itself stays empty; it is created (0600) when missing.
class InstanceLock {
public:
    enum class Result {
        Locked,       // this process holds the lock now
        HeldElsewhere, // another process holds it
        Failed,       // the file could not be opened or locked; see errorString()
    };

    // $XDG_CONFIG_HOME/Vantel/net.tarnwick.vantel.lock
    static QString defaultPath();

    explicit InstanceLock(const QString& path = defaultPath());
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Does not wait for another holder. Creates the folder when missing.
    Result tryLock();
    bool isLocked() const { return fd_ >= 0; }
    void unlock();

    QString path() const { return path_; }
    QString errorString() const { return errorString_; }

private:
    QString path_;
    QString errorString_;
    int fd_ = -1;
};

} // namespace vantel::platform
