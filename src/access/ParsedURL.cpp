#include "access/ParsedURL.h"

#include "model/PathUtilities.h"

#include <QUrl>

namespace vantel {

std::shared_ptr<ParsedURL> ParsedURL::create(const QString& urlString, const std::optional<QVariantList>& objects)
{
    if (urlString.isEmpty())
        return nullptr;
    auto parsed = std::make_shared<ParsedURL>(urlString, objects);
    return parsed->isValid() ? parsed : nullptr;
}

ParsedURL::ParsedURL(const QString& urlString, const std::optional<QVariantList>& objects)
    : currentURLString_(urlString)
    , currentObjects_(objects)
    , urlRegExParser_(URLRegExParser::create(urlString, objects))
{
}

bool ParsedURL::isValid() const
{
    if (currentURLString_.isEmpty() || !hasURLScheme(currentURLString_) || !urlRegExParser_)
        return false;
    return urlWithoutPlaceholders().isValid();
}

QUrl ParsedURL::urlWithoutPlaceholders() const
{
    if (!urlRegExParser_)
        return QUrl();
    const QString stripped = urlRegExParser_->urlStringWithoutPlaceholders();
    return stripped.isEmpty() ? QUrl() : QUrl(stripped, QUrl::StrictMode);
}

} // namespace vantel
