#include "access/URLManager.h"

#include "model/LocalizedStrings.h"

#include <algorithm>

namespace vantel {

URLManager& URLManager::shared()
{
    static URLManager* instance = new URLManager;
    return *instance;
}

URLManager::URLManager()
{
    loadPlaceholders();
}

QList<URLManager::Template> URLManager::defaultTemplates()
{
    // Titles and questions in the user's language; once stored, a template
    // keeps them, whatever the language of a later session.
    const auto make = [](const char* title, const QString& value) {
        return std::make_shared<urlTemplateData>(localized(title), value);
    };
    const auto asking = [](const char* address, const char* question) {
        return QString::fromUtf8(address) + QStringLiteral("%%userInput:") + localized(question) + QStringLiteral("%%");
    };
    const auto search = [&](const char* title, const char* address) { return make(title, asking(address, title)); };
    return {
        make(localizable("Send Mail"), QStringLiteral("mailto:vantel@tarnwick.net?subject=Support%20Question")),
        search(localizable("Search in Wikipedia"), "https://en.wikipedia.org/w/index.php?search="),
        search(localizable("Search in Google"), "https://www.google.com/search?q="),
        make(localizable("Search in Apple Maps"), asking("http://maps.apple.com/?q=", localizable("Locate"))),
        search(localizable("Search in IMDB"), "https://www.imdb.com/find?q="),
        search(localizable("Search in Amazon"), "https://www.amazon.com/s?k="),
        search(localizable("Search in Twitter"), "https://twitter.com/search?q="),
        search(localizable("Search in Reddit"), "https://www.reddit.com/search/?q="),
        make(localizable("Make a Phone Call"), QStringLiteral("tel:01234567890")),
        make(localizable("Send a Text Message"), QStringLiteral("sms:01234567890")),
        make(localizable("Things - Show quick entry"), QStringLiteral("things:///add?show-quick-entry=true")),
        make(localizable("DEVONthink - create a quick note"), QStringLiteral("x-devonthink://note")),
        make(localizable("DEVONthink - search in databases"),
             asking("x-devonthink://search?query=", localizable("Search in DEVONthink"))),
    };
}

void URLManager::loadDefaultTemplates()
{
    urlTemplates_ = defaultTemplates();
    cleanUpTemplates();
}

void URLManager::loadPlaceholders()
{
    // Named by what they insert. The keywords stay, as the parser knows them;
    // the question the inserted placeholder asks is in the user's language.
    urlPlaceholders_ = {
        std::make_shared<urlPlaceholderData>(localized("Ask for input"),
                                             QStringLiteral("%%userInput:") + localized("Question") + QStringLiteral("%%")),
        std::make_shared<urlPlaceholderData>(localized("Selected files"), QStringLiteral("%%selectedFileObjects%%")),
    };
}

void URLManager::cleanUpTemplates()
{
    QList<Template> kept;
    for (const Template& entry : std::as_const(urlTemplates_))
        if (entry && !entry->title().isEmpty() && !entry->value().isEmpty())
            kept.append(entry);
    std::stable_sort(kept.begin(), kept.end(), [](const Template& a, const Template& b) {
        return QString::compare(a->title(), b->title(), Qt::CaseInsensitive) < 0;
    });
    urlTemplates_ = std::move(kept);
}

} // namespace vantel
