#pragma once

#include <QString>

#include <array>
#include <optional>

namespace vantel {

// The width of the main view in points; stored as its raw text ("700px").
enum class MainWindowWidth { with550, with600, with650, with700, with750, with800 };

// The height of the main view as a share of the screen; stored as "70%".
enum class MainWindowHeight { height50, height55, height60, height65, height70, height75, height80, height85, height90 };

namespace MainWindowWidths {
inline constexpr std::array allCases{MainWindowWidth::with550, MainWindowWidth::with600, MainWindowWidth::with650,
                                     MainWindowWidth::with700, MainWindowWidth::with750, MainWindowWidth::with800};
QString rawValue(MainWindowWidth width);
// The case with that raw text; none or any other text gives with700.
MainWindowWidth fromStoredValue(const std::optional<QString>& text);
int allCasesIndex(MainWindowWidth width);
std::optional<MainWindowWidth> fromIndex(int index);
} // namespace MainWindowWidths

namespace MainWindowHeights {
inline constexpr std::array allCases{MainWindowHeight::height50, MainWindowHeight::height55, MainWindowHeight::height60,
                                     MainWindowHeight::height65, MainWindowHeight::height70, MainWindowHeight::height75,
                                     MainWindowHeight::height80, MainWindowHeight::height85, MainWindowHeight::height90};
QString rawValue(MainWindowHeight height);
// The case with that raw text; none or any other text gives height70.
MainWindowHeight fromStoredValue(const std::optional<QString>& text);
} // namespace MainWindowHeights

} // namespace vantel
