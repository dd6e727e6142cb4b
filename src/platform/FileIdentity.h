#pragma once

#include <QByteArray>
#include <QtGlobal>

struct stat;

namespace vantel::platform {

// A file as a store found it when it read it: nothing there, or this very
// file (its device and inode, and its size and modification time, which a
// rewrite in place changes), and a digest of the bytes read or written. A
// write told what its store found replaces only that file or one that holds
// the same bytes (touched, put back by a sync tool, on a file system whose
// inode numbers don't last), or none where none was found: a file that
// appeared since (a drive mounted after the start) or one with other bytes
// is never written over.
struct FileIdentity {
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    QByteArray digest; // of the bytes; empty when they are not known

    static FileIdentity none() { return {}; }
    static FileIdentity of(const struct stat& facts);
    static FileIdentity of(const struct stat& facts, const QByteArray& bytes);
    static QByteArray digestOf(const QByteArray& bytes);

    // The same file, unchanged in size and time; the digest is not asked.
    bool isSameFileAs(const FileIdentity& other) const;

    bool operator==(const FileIdentity&) const = default;
};

} // namespace vantel::platform
