#pragma once

#include <QtGlobal>

struct stat;

namespace vantel::platform {

// A file as a store found it when it read it: nothing there, or this very
// file (its device and inode, and its size and modification time, which a
// rewrite in place changes). A write told what its store found replaces only
// that file, or none, so a file that appeared since (a drive mounted after the
// start) or that another program replaced is never written over.
struct FileIdentity {
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;

    static FileIdentity none() { return {}; }
    static FileIdentity of(const struct stat& facts);

    bool operator==(const FileIdentity&) const = default;
};

} // namespace vantel::platform
