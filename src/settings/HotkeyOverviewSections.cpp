#include "settings/HotkeyOverviewSections.h"

#include "config/Configuration.h"
#include "model/L10n.h"

#include <QMap>

#include <algorithm>

namespace vantel::HotkeyOverviewContentView {

QString globalHotkeyText(const Configuration& config)
{
    const auto combo = config.globalKeyCombo();
    return combo ? combo->displayString() : QString();
}

QList<HotkeyOverviewRow> categoryRows(const Configuration& config)
{
    using C = Configuration::SidebarCategory;
    // In this order: a later category with the same text replaces an earlier one.
    const std::pair<C, const QString&> table[] = {
        {C::activeApplications, L10n::openApplications()}, {C::recentApplications, L10n::lastUsedApplications()},
        {C::favorites, L10n::All_Favorites()},             {C::files, L10n::All_Files()},
        {C::folders, L10n::All_Folders()},                 {C::shortcuts, L10n::Shortcuts()},
        {C::urls, L10n::All_URLs()},
    };
    QMap<QString, QString> byHotkey;
    for (const auto& [category, title] : table) {
        if (const auto combo = config.globalKeyComboCategories(category))
            byHotkey.insert(combo->displayString(), title);
    }
    QList<HotkeyOverviewRow> rows;
    for (auto it = byHotkey.cbegin(); it != byHotkey.cend(); ++it)
        rows.append({it.key(), it.value()});
    std::sort(rows.begin(), rows.end(), [](const HotkeyOverviewRow& a, const HotkeyOverviewRow& b) {
        if (a.hotkey != b.hotkey)
            return a.hotkey > b.hotkey;
        return a.description > b.description;
    });
    return rows;
}

QList<HotkeyOverviewRow> entryRows(const QList<TableViewItemPtr>& allData)
{
    QList<TableViewItemPtr> entries;
    for (const TableViewItemPtr& entry : allData) {
        if (entry && entry->hotkey())
            entries.append(entry);
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const TableViewItemPtr& a, const TableViewItemPtr& b) { return a->name() < b->name(); });
    QList<HotkeyOverviewRow> rows;
    for (const TableViewItemPtr& entry : entries)
        rows.append({entry->hotkey()->displayString(), entry->name()});
    return rows;
}

namespace {

QList<HotkeyOverviewRow> rowsOfTags(const QList<iconTagPtr>& tags, std::optional<KeyCombo> (iconTag::*combo)() const)
{
    QList<iconTagPtr> withHotkey;
    for (const iconTagPtr& tag : tags) {
        if (tag && ((*tag).*combo)())
            withHotkey.append(tag);
    }
    std::stable_sort(withHotkey.begin(), withHotkey.end(),
                     [](const iconTagPtr& a, const iconTagPtr& b) { return a->tagName() < b->tagName(); });
    QList<HotkeyOverviewRow> rows;
    for (const iconTagPtr& tag : withHotkey)
        rows.append({((*tag).*combo)()->displayString(), tag->tagName()});
    return rows;
}

} // namespace

QList<HotkeyOverviewRow> tagRows(const QList<iconTagPtr>& allVisibleTags)
{
    return rowsOfTags(allVisibleTags, &iconTag::hotkey);
}

QList<HotkeyOverviewRow> tagLaunchAllRows(const QList<iconTagPtr>& allVisibleTags)
{
    return rowsOfTags(allVisibleTags, &iconTag::hotkeyLaunchAll);
}

QList<HotkeyOverviewSection> sections(const Configuration& config, const QList<TableViewItemPtr>& allData,
                                      const QList<iconTagPtr>& allVisibleTags)
{
    using Kind = HotkeyOverviewSection::Kind;
    QList<HotkeyOverviewSection> result;
    if (config.globalKeyCombo())
        result.append({Kind::globalHotkey, std::nullopt, {{globalHotkeyText(config), L10n::hotkeyOverviewGlobalHotkey()}}});
    result.append({Kind::categories, L10n::hotkeyOverviewCategory(), categoryRows(config)});
    result.append({Kind::entries, L10n::hotkeyOverviewEntry(), entryRows(allData)});
    result.append({Kind::tags, L10n::hotkeyOverviewTagView(), tagRows(allVisibleTags)});
    result.append({Kind::tagsLaunchAll, L10n::hotkeyOverviewTagLaunchAll(), tagLaunchAllRows(allVisibleTags)});
    return result;
}

} // namespace vantel::HotkeyOverviewContentView
