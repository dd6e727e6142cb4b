#include "access/urlBaseData.h"

#include "platform/KeyedArchiver.h"
#include "platform/KeyedUnarchiver.h"

namespace vantel {

urlBaseData::urlBaseData(QString title, QString value)
    : title_(std::move(title))
    , value_(std::move(value))
{
}

QString urlBaseData::archiveName()
{
    return QStringLiteral("Vantel.urlBaseData");
}

QString urlBaseData::archiveClassName() const
{
    return archiveName();
}

QStringList urlBaseData::archiveClassChain() const
{
    return {archiveClassName(), QStringLiteral("NSObject")};
}

void urlBaseData::encode(platform::KeyedArchiver& coder) const
{
    coder.encodeObject(value_, keyNameValue);
    coder.encodeObject(title_, keyNameTitle);
}

std::optional<std::pair<QString, QString>> urlBaseData::decodeTitleAndValue(platform::KeyedUnarchiver& coder)
{
    const std::optional<QString> value = coder.decodeString(QStringLiteral("value"));
    const std::optional<QString> title = coder.decodeString(QStringLiteral("title"));
    if (!value || !title || value->isEmpty() || title->isEmpty())
        return std::nullopt;
    return std::make_pair(*title, *value);
}

} // namespace vantel
