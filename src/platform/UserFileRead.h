#pragma once

#include "platform/FileIdentity.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace vantel::platform {

// Reads a user's file suspiciously: a path that, after following links, is
// not a regular file (a FIFO, a device such as /dev/zero, a folder) is
// refused without being read or waited on, and a file larger than the limit
// is refused before it is read. The caller tells damage (the bytes don't
// parse) from a file that could not be read at all.
struct UserFileRead {
    enum class Status {
        ok,
        missing,        // nothing at the path (a dangling link included)
        notRegularFile, // refused, never read
        tooLarge,       // a regular file over the limit, not read
        unreadable,     // exists but can't be read (EACCES, EIO, EMFILE...)
    };
    Status status = Status::missing;
    QByteArray data;
    QString error; // why, in the user's language for an alert; empty when ok or missing
    // The file that was read (as it was opened), or none when missing: what a
    // later write may replace.
    FileIdentity identity;

    bool ok() const { return status == Status::ok; }
};

UserFileRead readUserFile(const QString& path, qint64 maxBytes);

// Reads the open file `fd` to its end, never more than `maxBytes`: none when
// it holds more, or when a read fails (its errno in `error`, else 0).
std::optional<QByteArray> readOpenFile(int fd, qsizetype expectedBytes, qint64 maxBytes, int* error);

} // namespace vantel::platform
