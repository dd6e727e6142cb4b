#include "access/LaunchAllEntriesOfTag.h"

#include "access/OpenObject.h"
#include "model/L10n.h"
#include "model/Logger.h"
#include "platform/Dialogs.h"
#include "platform/Predicate.h"

#include <mutex>

namespace vantel {

QString LaunchAllEntriesOfTag::predicateFormat()
{
    return QStringLiteral("tags contains[c] %@ AND isVisible = true AND isReachable = true");
}

SynchronizedArray<TableViewItemPtr>::Ptr LaunchAllEntriesOfTag::selection(
    const QString& tagName, const SynchronizedArray<TableViewItemPtr>& allData)
{
    return matching(predicateFormat(), tagName, allData);
}

SynchronizedArray<TableViewItemPtr>::Ptr LaunchAllEntriesOfTag::matching(
    const QString& format, const QString& tagName, const SynchronizedArray<TableViewItemPtr>& allData)
{
    QString error;
    const auto predicate = platform::Predicate::fromFormat(format, {tagName}, &error);
    if (!predicate) {
        VLOG(Logger::dataStorage(), platform::LogType::Error, "!! Error - predicate: %{public}@", error);
        return SynchronizedArray<TableViewItemPtr>::create();
    }
    return allData.filtered([&](const TableViewItemPtr& item) { return item && predicate->evaluate(*item); });
}

namespace {

std::mutex g_sourceMutex;
LaunchAllEntriesOfTag::AllDataSource g_allDataSource;

} // namespace

void LaunchAllEntriesOfTag::setAllDataSource(AllDataSource source)
{
    std::lock_guard lock(g_sourceMutex);
    g_allDataSource = std::move(source);
}

void LaunchAllEntriesOfTag::launchAllEntriesOfTag(const QString& tagName)
{
    AllDataSource source;
    {
        std::lock_guard lock(g_sourceMutex);
        source = g_allDataSource;
    }
    const auto allData = source ? source() : nullptr;
    if (allData)
        launchAllEntriesOfTag(tagName, *allData);
}

void LaunchAllEntriesOfTag::launchAllEntriesOfTag(const QString& tagName,
                                                  const SynchronizedArray<TableViewItemPtr>& allData)
{
    if (tagName.isEmpty())
        return;
    const auto selected = selection(tagName, allData);
    // The selection leaves them out, so they never reach the open that
    // would tell them.
    const auto gone = matching(QStringLiteral("tags contains[c] %@ AND isVisible = true AND isReachable = false"),
                               tagName, allData);
    const auto tellGone = [&gone] {
        for (const TableViewItemPtr& item : gone->snapshot())
            OpenObject::tellUnreachable(item->path(), item->name());
    };
    const qsizetype count = selected->count();
    if (count < 1) {
        tellGone();
        return;
    }

    const QString countText = QString::number(count);
    if (count > maximumEntries) {
        platform::AlertRequest refusal;
        refusal.style = platform::AlertStyle::Warning;
        refusal.messageText = L10n::launchAllDenyMessage();
        refusal.informativeText = QString(L10n::launchAllDenyInformativeText())
                                      .replace(QStringLiteral("%currentEntries"), countText)
                                      .replace(QStringLiteral("%maxEntries"), QString::number(maximumEntries));
        refusal.buttons = {L10n::dialogtext_cancel()};
        platform::Dialogs::runAlert(refusal);
        return;
    }
    if (count > maximumWithoutQuestion) {
        platform::AlertRequest question;
        question.style = platform::AlertStyle::Informational;
        question.messageText =
            QString(L10n::launchAllWarnMessage()).replace(QStringLiteral("%currentEntries"), countText);
        question.informativeText =
            QString(L10n::launchAllWarnInformativeText()).replace(QStringLiteral("%currentEntries"), countText);
        question.buttons = {L10n::launchAllWarnButton(), L10n::dialogtext_cancel()};
        if (!platform::Dialogs::runAlert(question).isFirstButton())
            return;
    }
    // A snapshot: later changes of the store do not touch a launch under way.
    for (const TableViewItemPtr& item : selected->snapshot())
        item->execute();
    tellGone();
}

} // namespace vantel
