#include "platform/FileIdentity.h"

#include <QCryptographicHash>

#include <sys/stat.h>

namespace vantel::platform {

FileIdentity FileIdentity::of(const struct stat& facts)
{
    FileIdentity identity;
    identity.exists = true;
    identity.device = quint64(facts.st_dev);
    identity.inode = quint64(facts.st_ino);
    identity.size = qint64(facts.st_size);
    identity.modifiedNs = qint64(facts.st_mtim.tv_sec) * 1000000000 + qint64(facts.st_mtim.tv_nsec);
    return identity;
}

FileIdentity FileIdentity::of(const struct stat& facts, const QByteArray& bytes)
{
    FileIdentity identity = of(facts);
    // The size of what was read: a file that changed while it was read holds
    // other bytes than the digest tells of.
    identity.size = bytes.size();
    identity.digest = digestOf(bytes);
    return identity;
}

QByteArray FileIdentity::digestOf(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

bool FileIdentity::isSameFileAs(const FileIdentity& other) const
{
    return exists == other.exists && device == other.device && inode == other.inode && size == other.size
        && modifiedNs == other.modifiedNs;
}

} // namespace vantel::platform
