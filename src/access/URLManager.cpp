#include "access/URLManager.h"

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
    const auto make = [](const char* title, const char* value) {
        return std::make_shared<urlTemplateData>(QString::fromUtf8(title), QString::fromUtf8(value));
    };
    return {
        make("Send Mail", "mailto:vantel@tarnwick.net?subject=Support%20Question"),
        make("Search in Wikipedia", "https://en.wikipedia.org/w/index.php?search=%%userInput:Search in Wikipedia%%"),
        make("Search in Google", "https://www.google.com/search?q=%%userInput:Search in Google%%"),
        make("Search in Apple Maps", "http://maps.apple.com/?q=%%userInput:Locate%%"),
        make("Search in IMDB", "https://www.imdb.com/find?q=%%userInput:Search in IMDB%%"),
        make("Search in Amazon", "https://www.amazon.com/s?k=%%userInput:Search in Amazon%%"),
        make("Search in Twitter", "https://twitter.com/search?q=%%userInput:Search in Twitter%%"),
        make("Search in Reddit", "https://www.reddit.com/search/?q=%%userInput:Search in Reddit%%"),
        make("Make a Phone Call", "tel:01234567890"),
        make("Send a Text Message", "sms:01234567890"),
        make("Things - Show quick entry", "things:///add?show-quick-entry=true"),
        make("DEVONthink - create a quick note", "x-devonthink://note"),
        make("DEVONthink - search in databases", "x-devonthink://search?query=%%userInput:Search in DEVONthink%%"),
    };
}

void URLManager::loadDefaultTemplates()
{
    urlTemplates_ = defaultTemplates();
    cleanUpTemplates();
}

void URLManager::loadPlaceholders()
{
    urlPlaceholders_ = {
        std::make_shared<urlPlaceholderData>(QStringLiteral("Input-Placeholder"), QStringLiteral("%%userInput:Question%%")),
        std::make_shared<urlPlaceholderData>(QStringLiteral("SelectFileObjects-Placeholder"),
                                             QStringLiteral("%%selectedFileObjects%%")),
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
