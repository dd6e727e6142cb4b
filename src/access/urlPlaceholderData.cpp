#include "access/urlPlaceholderData.h"

#include "platform/KeyedUnarchiver.h"

#include <mutex>

namespace vantel {

std::shared_ptr<urlPlaceholderData> urlPlaceholderData::initWithCoder(platform::KeyedUnarchiver& coder)
{
    const auto fields = decodeTitleAndValue(coder);
    if (!fields)
        return nullptr;
    return std::make_shared<urlPlaceholderData>(fields->first, fields->second);
}

QString urlPlaceholderData::archiveName()
{
    return QStringLiteral("Vantel.urlPlaceholderData");
}

void urlPlaceholderData::registerArchiveClass()
{
    static std::once_flag once;
    std::call_once(once, [] {
        platform::KeyedUnarchiver::registerClass(archiveName(), [](platform::KeyedUnarchiver& coder) {
            return std::static_pointer_cast<platform::Archivable>(initWithCoder(coder));
        });
    });
}

QSet<QString> urlPlaceholderData::archiveClassNames()
{
    registerArchiveClass();
    return {archiveName()};
}

QString urlPlaceholderData::archiveClassName() const
{
    return archiveName();
}

QStringList urlPlaceholderData::archiveClassChain() const
{
    return {archiveName(), urlBaseData::archiveName(), QStringLiteral("NSObject")};
}

} // namespace vantel
