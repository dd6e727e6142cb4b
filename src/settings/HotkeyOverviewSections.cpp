#include "settings/HotkeyOverviewSections.h"

#include "config/Configuration.h"
#include "model/L10n.h"
#include "model/LocalizedStrings.h"

#include <QMap>

#include <algorithm>

namespace vantel::HotkeyOverviewContentView {

namespace {

HotkeyOverviewRow row(const KeyCombo& combo, const QString& description, const Unseen& unseen)
{
    if (unseen && unseen(combo))
        return {combo.displayString(), localized("%1 (not seen on this desktop)").arg(description)};
    return {combo.displayString(), description};
}

} // namespace

QString globalHotkeyText(const Configuration& config)
{
    const auto combo = config.globalKeyCombo();
    return combo ? combo->displayString() : QString();
}

QList<HotkeyOverviewRow> categoryRows(const Configuration& config, const Unseen& unseen)
{
    using C = Configuration::SidebarCategory;
    // In this order: a later category with the same text replaces an earlier one.
    const std::pair<C, const QString&> table[] = {
        {C::activeApplications, L10n::openApplications()}, {C::recentApplications, L10n::lastUsedApplications()},
        {C::favorites, L10n::All_Favorites()},             {C::files, L10n::All_Files()},
        {C::folders, L10n::All_Folders()},                 {C::shortcuts, L10n::Shortcuts()},
        {C::urls, L10n::All_URLs()},
    };
    QMap<QString, HotkeyOverviewRow> byHotkey;
    for (const auto& [category, title] : table) {
        if (const auto combo = config.globalKeyComboCategories(category))
            byHotkey.insert(combo->displayString(), row(*combo, title, unseen));
    }
    QList<HotkeyOverviewRow> rows = byHotkey.values();
    std::sort(rows.begin(), rows.end(), [](const HotkeyOverviewRow& a, const HotkeyOverviewRow& b) {
        if (a.hotkey != b.hotkey)
            return a.hotkey > b.hotkey;
        return a.description > b.description;
    });
    return rows;
}

QList<HotkeyOverviewRow> entryRows(const QList<TableViewItemPtr>& allData, const Unseen& unseen)
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
        rows.append(row(*entry->hotkey(), entry->name(), unseen));
    return rows;
}

namespace {

QList<HotkeyOverviewRow> rowsOfTags(const QList<iconTagPtr>& tags, std::optional<KeyCombo> (iconTag::*combo)() const,
                                   const Unseen& unseen)
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
        rows.append(row(*((*tag).*combo)(), tag->tagName(), unseen));
    return rows;
}

} // namespace

QList<HotkeyOverviewRow> tagRows(const QList<iconTagPtr>& allVisibleTags, const Unseen& unseen)
{
    return rowsOfTags(allVisibleTags, &iconTag::hotkey, unseen);
}

QList<HotkeyOverviewRow> tagLaunchAllRows(const QList<iconTagPtr>& allVisibleTags, const Unseen& unseen)
{
    return rowsOfTags(allVisibleTags, &iconTag::hotkeyLaunchAll, unseen);
}

QList<HotkeyOverviewSection> sections(const Configuration& config, const QList<TableViewItemPtr>& allData,
                                      const QList<iconTagPtr>& allVisibleTags, const Unseen& unseen)
{
    using Kind = HotkeyOverviewSection::Kind;
    QList<HotkeyOverviewSection> result;
    if (const auto combo = config.globalKeyCombo())
        result.append({Kind::globalHotkey, std::nullopt, {row(*combo, L10n::hotkeyOverviewGlobalHotkey(), unseen)}});
    result.append({Kind::categories, L10n::hotkeyOverviewCategory(), categoryRows(config, unseen)});
    result.append({Kind::entries, L10n::hotkeyOverviewEntry(), entryRows(allData, unseen)});
    result.append({Kind::tags, L10n::hotkeyOverviewTagView(), tagRows(allVisibleTags, unseen)});
    result.append({Kind::tagsLaunchAll, L10n::hotkeyOverviewTagLaunchAll(), tagLaunchAllRows(allVisibleTags, unseen)});
    return result;
}

} // namespace vantel::HotkeyOverviewContentView
