#pragma once

#include "model/TableViewItem.h"
#include "model/iconTag.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace vantel {

class Configuration;

// One line of the hotkey overview: the combination's text and what it does.
struct HotkeyOverviewRow {
    QString hotkey;
    QString description;
    bool operator==(const HotkeyOverviewRow&) const = default;
};

// One section: a heading (none for the main-window hotkey) and its rows.
struct HotkeyOverviewSection {
    enum class Kind { globalHotkey, categories, entries, tags, tagsLaunchAll };
    Kind kind;
    std::optional<QString> title;
    QList<HotkeyOverviewRow> rows;
};

// What the hotkey overview lists, read once when it is made: the hotkey that
// shows the main window (only when set), then the categories (by hotkey
// text, descending; one row per text), the entries, the visible tags and
// their launch-all hotkeys (each by name, ascending). The last four
// sections are always there, with their headings, also when empty.
// A combination the desktop never reports (a double tap under Wayland) is
// listed with a note saying so.
namespace HotkeyOverviewContentView {

using Unseen = std::function<bool(const KeyCombo&)>;

QString globalHotkeyText(const Configuration& config);
QList<HotkeyOverviewRow> categoryRows(const Configuration& config, const Unseen& unseen = {});
QList<HotkeyOverviewRow> entryRows(const QList<TableViewItemPtr>& allData, const Unseen& unseen = {});
QList<HotkeyOverviewRow> tagRows(const QList<iconTagPtr>& allVisibleTags, const Unseen& unseen = {});
QList<HotkeyOverviewRow> tagLaunchAllRows(const QList<iconTagPtr>& allVisibleTags, const Unseen& unseen = {});
QList<HotkeyOverviewSection> sections(const Configuration& config, const QList<TableViewItemPtr>& allData,
                                      const QList<iconTagPtr>& allVisibleTags, const Unseen& unseen = {});

} // namespace HotkeyOverviewContentView

} // namespace vantel
