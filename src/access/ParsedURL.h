#pragma once

#include "access/URLRegExParser.h"

#include <QString>
#include <QUrl>
#include <QVariantList>

#include <memory>
#include <optional>

namespace vantel {

// A URL template that has been checked: not empty, with a scheme, and a URL
// once its placeholders are taken out.
class ParsedURL {
public:
    // None for an empty string or a template that is not valid.
    static std::shared_ptr<ParsedURL> create(const QString& urlString, const std::optional<QVariantList>& objects);
    ParsedURL(const QString& urlString, const std::optional<QVariantList>& objects);

    bool isValid() const;
    // The template with its placeholders taken out, as a URL; an invalid
    // QUrl when that is not a URL.
    QUrl urlWithoutPlaceholders() const;

    QString currentURLString() const { return currentURLString_; }
    const std::optional<QVariantList>& currentObjects() const { return currentObjects_; }
    URLRegExParser* urlRegExParser() const { return urlRegExParser_.get(); }

private:
    QString currentURLString_;
    std::optional<QVariantList> currentObjects_;
    std::unique_ptr<URLRegExParser> urlRegExParser_;
};

} // namespace vantel
