#include "datastore/TagManager.h"

#include "datastore/DataStorage.h"
#include "model/L10n.h"
#include "model/Logger.h"
#include "model/TagNames.h"
#include "platform/Dialogs.h"
#include "platform/Log.h"
#include "config/Configuration.h"

#include <utility>

namespace vantel {

namespace {

const platform::LogCategory& category()
{
    return Logger::tagManager();
}

// Replaces every placeholder in one pass, so a name that itself contains a
// placeholder word is inserted as it is.
QString substitute(const QString& text, const QList<std::pair<QString, QString>>& values)
{
    QString result;
    qsizetype i = 0;
    while (i < text.size()) {
        bool replaced = false;
        for (const auto& [placeholder, value] : values) {
            if (QStringView(text).mid(i).startsWith(placeholder)) {
                result += value;
                i += placeholder.size();
                replaced = true;
                break;
            }
        }
        if (!replaced)
            result += text.at(i++);
    }
    return result;
}

// Asks with OK and Cancel and a do-not-ask-again box; the box's state is
// stored whichever button ended the alert.
bool confirm(const QString& message, const QString& informative, void (Configuration::*storeSuppression)(bool))
{
    platform::AlertRequest request;
    request.style = platform::AlertStyle::Warning;
    request.messageText = message;
    request.informativeText = informative;
    request.buttons = {L10n::dialogtext_ok(), L10n::dialogtext_cancel()};
    request.showsSuppressionButton = true;
    const platform::AlertResponse response = platform::Dialogs::runAlert(request);
    (Configuration::shared().*storeSuppression)(response.suppressionChecked);
    return response.isFirstButton();
}

// Through the setters, so the hotkey service releases them.
void clearHotkeys(iconTag& tag)
{
    if (tag.hotkey())
        tag.setHotkey(std::nullopt);
    if (tag.hotkeyLaunchAll())
        tag.setHotkeyLaunchAll(std::nullopt);
}

} // namespace

bool TagManager::confirmRenameTag(const QString& oldName, const QString& newName)
{
    if (Configuration::shared().neverRemindMeRenameTagDialog())
        return true;
    return confirm(L10n::confirmRenameDialogText(),
                   substitute(L10n::confirmRenameDialogInformativeText(),
                              {{QStringLiteral("%oldname"), oldName}, {QStringLiteral("%newname"), newName}}),
                   &Configuration::setNeverRemindMeRenameTagDialog);
}

bool TagManager::confirmDeleteTag(const QString& tagName)
{
    if (Configuration::shared().neverRemindMeRemoveTagDialog())
        return true;
    return confirm(L10n::confirmDeleteDialogText(),
                   substitute(L10n::confirmDeleteDialogInformativeText(), {{QStringLiteral("%tagToDelete"), tagName}}),
                   &Configuration::setNeverRemindMeRemoveTagDialog);
}

iconTagPtr TagManager::otherTagForName(const QString& name, const iconTagPtr& except) const
{
    return allAvailableTags_
        ->firstItem([&](const iconTagPtr& tag) { return tag && tag != except && tag->tagName() == name; })
        .value_or(nullptr);
}

void TagManager::mergeTagRecord(const iconTagPtr& from, const iconTagPtr& into)
{
    allAvailableTags_->remove(from);
    const auto hotkey = from->hotkey();
    const auto hotkeyLaunchAll = from->hotkeyLaunchAll();
    clearHotkeys(*from);
    if (!into->color() && from->color())
        into->setColor(from->color());
    const QString symbol = from->tagSymbol();
    const QString targetSymbol = into->tagSymbol();
    if ((targetSymbol.isEmpty() || targetSymbol == defaultTag) && !symbol.isEmpty() && symbol != defaultTag)
        into->setTagSymbol(symbol);
    if (!into->hotkey() && hotkey)
        into->setHotkey(hotkey);
    if (!into->hotkeyLaunchAll() && hotkeyLaunchAll)
        into->setHotkeyLaunchAll(hotkeyLaunchAll);
}

QString TagManager::renameTagRecord(const iconTagPtr& tag, const QString& oldPrefix, const QString& newPrefix)
{
    const QString before = tag->tagName();
    // Whole levels match, so the old name is a prefix of the tag's name.
    const QString after = newPrefix + before.mid(oldPrefix.size());
    // Two records of one name would show one and drop the other's settings
    // at the next save.
    if (const iconTagPtr existing = otherTagForName(after, tag))
        mergeTagRecord(tag, existing);
    else
        tag->setTagName(after);
    // A copy of the list: the entries announce their change, and an observer
    // may read the list again.
    for (const TableViewItemPtr& entry : store_.allData()->snapshot())
        if (entry)
            entry->renameTag(before, after);
    return after;
}

void TagManager::normalizeTagRecords()
{
    for (const iconTagPtr& tag : allAvailableTags_->snapshot()) {
        if (!tag)
            continue;
        const QString name = tag->tagName();
        const QString normalised = normalizeTagName(name);
        if (normalised == name || normalised.isEmpty())
            continue;
        if (const iconTagPtr existing = otherTagForName(normalised, tag))
            mergeTagRecord(tag, existing);
        else
            tag->setTagName(normalised);
    }
}

bool TagManager::renameTag(const QString& givenOldName, const QString& givenNewName)
{
    // Copies: the confirmation runs a nested loop, and the caller's strings
    // (a name field's) may change or go with their field meanwhile.
    const QString oldName = givenOldName;
    const QString newName = normalizeTagName(givenNewName);
    VLOG(category(), platform::LogType::Default, "rename Tag");
    VLOG(category(), platform::LogType::Default, "Current name: %{public}@", oldName);
    VLOG(category(), platform::LogType::Default, "New name: %{public}@", newName);

    if (oldName.isEmpty() || newName.isEmpty() || oldName == newName)
        return false;
    if (!confirmRenameTag(oldName, newName))
        return false;

    if (!tagForName(newName)) {
        for (const iconTagPtr& tag : allAvailableTags_->snapshot()) {
            if (!tag || !isSubTag(tag->tagName(), oldName))
                continue;
            VLOG(category(), platform::LogType::Default, "Changing Tag");
            VLOG(category(), platform::LogType::Default, "Current Name: %{public}@", tag->tagName());
            const QString after = renameTagRecord(tag, oldName, newName);
            VLOG(category(), platform::LogType::Default, "New name: %{public}@", after);
        }
    } else {
        VLOG(category(), platform::LogType::Error, "A Tag with the new name already exists!");
        VLOG(category(), platform::LogType::Default, "Creating backup of Tags except: %{public}@", oldName);
        // The old record goes as in a delete: its hotkeys are released.
        for (const iconTagPtr& tag : allAvailableTags_->snapshot())
            if (tag && tag->tagName() == oldName)
                clearHotkeys(*tag);
        // One write: readers never see the list empty.
        allAvailableTags_->removeAllWhere(tagNameMatches(oldName));

        for (const TableViewItemPtr& entry : store_.allData()->snapshot())
            if (entry)
                entry->renameTag(oldName, newName);

        VLOG(category(), platform::LogType::Default, "Searching for Subtags of: %{public}@", oldName);
        // When the target lies below the old tag, the target and its own
        // sub-tags are below the old tag too: they are where the merge goes
        // and must not be moved further down.
        const bool targetBelowOld = isSubTag(newName, oldName);
        for (const iconTagPtr& tag : allAvailableTags_->snapshot()) {
            if (!tag || !isSubTag(tag->tagName(), oldName))
                continue;
            if (targetBelowOld && isSubTag(tag->tagName(), newName))
                continue;
            VLOG(category(), platform::LogType::Default, "Subtag found: %{public}@", tag->tagName());
            const QString after = renameTagRecord(tag, oldName, newName);
            VLOG(category(), platform::LogType::Default, "Tag modified: %{public}@", after);
        }
    }

    store_.rebuildData(DataStorageRebuildReason::tagRenamed);
    return true;
}

bool TagManager::deleteTagAtIndex(qsizetype index)
{
    const iconTagPtr tag = allAvailableTags_->at(index).value_or(nullptr);
    if (!tag)
        return false;
    const QString name = tag->tagName();
    if (!confirmDeleteTag(name))
        return false;
    return deleteTag(name);
}

bool TagManager::deleteTag(const QString& tagName)
{
    VLOG(category(), platform::LogType::Default, "!! deleteTag: %{public}@", tagName);
    if (tagName.isEmpty())
        return false;

    // Only the exact name leaves the entries; names below it stay.
    for (const TableViewItemPtr& entry : store_.allData()->snapshot())
        if (entry)
            entry->deleteTag(tagName);

    bool found = false;
    for (const iconTagPtr& tag : allAvailableTags_->snapshot()) {
        if (!tag || tag->tagName() != tagName)
            continue;
        clearHotkeys(*tag);
        found = true;
    }
    allAvailableTags_->removeAllWhere(tagNameMatches(tagName));

    store_.rebuildData(DataStorageRebuildReason::tagDeleted);
    return found;
}

} // namespace vantel
