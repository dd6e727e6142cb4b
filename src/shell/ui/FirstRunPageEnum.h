#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace vantel {

// The pages of the first-run assistant, in the order they are shown. The raw
// values are also the pages' identifiers.
enum class FirstRunPageEnum { pageOne, pageTwo };

inline QList<FirstRunPageEnum> allFirstRunPages()
{
    return {FirstRunPageEnum::pageOne, FirstRunPageEnum::pageTwo};
}

inline QString rawValue(FirstRunPageEnum page)
{
    switch (page) {
    case FirstRunPageEnum::pageOne:
        return QStringLiteral("Vantel.FirstRunPageEnum.pageOne");
    case FirstRunPageEnum::pageTwo:
        return QStringLiteral("Vantel.FirstRunPageEnum.pageTwo");
    }
    return {};
}

inline std::optional<FirstRunPageEnum> firstRunPage(const QString& rawValue)
{
    for (FirstRunPageEnum page : allFirstRunPages()) {
        if (vantel::rawValue(page) == rawValue)
            return page;
    }
    return std::nullopt;
}

} // namespace vantel
