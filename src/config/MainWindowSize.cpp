#include "config/MainWindowSize.h"

namespace vantel {

namespace MainWindowWidths {

QString rawValue(MainWindowWidth width)
{
    return QString::number(550 + 50 * allCasesIndex(width)) + QStringLiteral("px");
}

MainWindowWidth fromStoredValue(const std::optional<QString>& text)
{
    if (text) {
        for (MainWindowWidth width : allCases)
            if (rawValue(width) == *text)
                return width;
    }
    return MainWindowWidth::with700;
}

int allCasesIndex(MainWindowWidth width)
{
    return static_cast<int>(width);
}

std::optional<MainWindowWidth> fromIndex(int index)
{
    if (index < 0 || index >= int(allCases.size()))
        return std::nullopt;
    return allCases[std::size_t(index)];
}

} // namespace MainWindowWidths

namespace MainWindowHeights {

QString rawValue(MainWindowHeight height)
{
    return QString::number(50 + 5 * static_cast<int>(height)) + QStringLiteral("%");
}

MainWindowHeight fromStoredValue(const std::optional<QString>& text)
{
    if (text) {
        for (MainWindowHeight height : allCases)
            if (rawValue(height) == *text)
                return height;
    }
    return MainWindowHeight::height70;
}

} // namespace MainWindowHeights

} // namespace vantel
