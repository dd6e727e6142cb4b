#pragma once

#include "access/urlPlaceholderData.h"
#include "access/urlTemplateData.h"

#include <QList>

#include <memory>

namespace vantel {

// The URL templates from which new URL entries are made and the placeholder
// menu of the URL editor. Main thread only.
class URLManager {
public:
    using Template = std::shared_ptr<urlTemplateData>;
    using Placeholder = std::shared_ptr<urlPlaceholderData>;

    static URLManager& shared();

    // Both lists empty, then the placeholders loaded.
    URLManager();
    URLManager(const URLManager&) = delete;
    URLManager& operator=(const URLManager&) = delete;

    QList<Template>& urlTemplates() { return urlTemplates_; }
    const QList<Template>& urlTemplates() const { return urlTemplates_; }
    const QList<Placeholder>& urlPlaceholders() const { return urlPlaceholders_; }

    // The 13 built-in templates, cleaned up.
    void loadDefaultTemplates();
    void loadPlaceholders();
    // Drops templates with an empty title or value, then sorts the rest by
    // title (ignoring case), keeping the order of equal titles.
    void cleanUpTemplates();

    // The built-in templates in the order they are made.
    static QList<Template> defaultTemplates();

private:
    QList<Template> urlTemplates_;
    QList<Placeholder> urlPlaceholders_;
};

} // namespace vantel
