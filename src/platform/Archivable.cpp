#include "platform/Archivable.h"

namespace vantel::platform {

QStringList Archivable::archiveClassChain() const
{
    return {archiveClassName(), QStringLiteral("NSObject")};
}

} // namespace vantel::platform
