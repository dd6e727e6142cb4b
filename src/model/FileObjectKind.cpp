#include "model/FileObjectKind.h"

#include "model/PathUtilities.h"

namespace vantel {

int fileObjectKind(const QUrl& fileUrl)
{
    if (!fileUrl.isLocalFile() || !isReachablePath(fileUrl.toLocalFile()))
        return fileKindUnreachable;
    if (isApplication(fileUrl))
        return fileKindApplication;
    if (isPackage(fileUrl))
        return fileKindPlainFile;
    if (isDirectory(fileUrl))
        return fileKindFolder;
    if (isRegularFile(fileUrl))
        return fileKindPlainFile;
    return fileKindOther;
}

} // namespace vantel
