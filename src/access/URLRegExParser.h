#pragma once

#include "access/RegExURLMatch.h"

#include <QList>
#include <QString>
#include <QVariantList>

#include <memory>
#include <optional>

namespace vantel {

// Finds the placeholders of a URL template and fills them: questions are
// asked one after the other (showURLInputDialog), the selected files are
// joined; everything inserted is percent-encoded for any URL component.
class URLRegExParser {
public:
    // None for an empty string.
    static std::unique_ptr<URLRegExParser> create(const QString& urlString,
                                                  const std::optional<QVariantList>& objects);
    URLRegExParser(const QString& urlString, const std::optional<QVariantList>& objects);

    QString currentURLString() const { return currentURLString_; }
    const std::optional<QVariantList>& currentObjects() const { return currentObjects_; }
    const QList<RegExURLMatch>& regExURLMatches() const { return regExURLMatches_; }

    // All questions in text order, then all selections in text order.
    void findPlaceholders();
    QString urlStringWithoutPlaceholders();
    // None when the user cancelled a question; nothing after it is asked.
    std::optional<QString> replacePlaceholders(const QString& separator);
    static std::optional<QString> selectedFileObjectsString(const std::optional<QVariantList>& objects,
                                                            const QString& separator);

private:
    QString currentURLString_;
    std::optional<QVariantList> currentObjects_;
    QList<RegExURLMatch> regExURLMatches_;
};

} // namespace vantel
