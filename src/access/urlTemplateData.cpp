#include "access/urlTemplateData.h"

#include "platform/KeyedUnarchiver.h"

#include <mutex>

namespace vantel {

std::shared_ptr<urlTemplateData> urlTemplateData::initWithCoder(platform::KeyedUnarchiver& coder)
{
    const auto fields = decodeTitleAndValue(coder);
    if (!fields)
        return nullptr;
    return std::make_shared<urlTemplateData>(fields->first, fields->second);
}

QString urlTemplateData::archiveName()
{
    return QStringLiteral("Vantel.urlTemplateData");
}

void urlTemplateData::registerArchiveClass()
{
    static std::once_flag once;
    std::call_once(once, [] {
        platform::KeyedUnarchiver::registerClass(archiveName(), [](platform::KeyedUnarchiver& coder) {
            return std::static_pointer_cast<platform::Archivable>(initWithCoder(coder));
        });
    });
}

QSet<QString> urlTemplateData::archiveClassNames()
{
    registerArchiveClass();
    return {archiveName()};
}

QString urlTemplateData::archiveClassName() const
{
    return archiveName();
}

QStringList urlTemplateData::archiveClassChain() const
{
    return {archiveName(), urlBaseData::archiveName(), QStringLiteral("NSObject")};
}

} // namespace vantel
