#include "platform/FileIdentity.h"

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

} // namespace vantel::platform
