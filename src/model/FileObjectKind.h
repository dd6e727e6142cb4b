#pragma once

#include <QUrl>

namespace vantel {

// The kind of a file-system object, with the numbering stored files use.
enum FileObjectKindValue { fileKindPlainFile = 0, fileKindFolder = 1, fileKindApplication = 2, fileKindOther = 3, fileKindUnreachable = 4 };

// Tested in this order: not reachable 4, application 2, package 0,
// directory 1, regular file 0, anything else 3. A test whose answer cannot be
// read counts as no.
int fileObjectKind(const QUrl& fileUrl);

} // namespace vantel
