#pragma once

#include "access/urlBaseData.h"

#include <QSet>

#include <memory>

namespace vantel {

// One entry of the placeholder menu of the URL editor.
class urlPlaceholderData final : public urlBaseData {
public:
    using urlBaseData::urlBaseData;

    // None when the title or value is missing, not a string or empty.
    static std::shared_ptr<urlPlaceholderData> initWithCoder(platform::KeyedUnarchiver& coder);

    static QString archiveName();
    // Makes the class known to the unarchiver (idempotent, thread-safe).
    static void registerArchiveClass();
    // The allow-list for an archive of these objects, registered.
    static QSet<QString> archiveClassNames();

    QString archiveClassName() const override;
    QStringList archiveClassChain() const override;
};

} // namespace vantel
