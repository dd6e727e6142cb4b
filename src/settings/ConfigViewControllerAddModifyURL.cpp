#include "settings/ConfigViewControllerAddModifyURL.h"

#include "datastore/DataStorage.h"
#include "datastore/DatastorageHandlerURLObjects.h"
#include "model/L10n.h"
#include "model/PathUtilities.h"

namespace vantel {

ConfigViewControllerAddModifyURL::ConfigViewControllerAddModifyURL(DataStorage& store)
    : store_(store)
{
}

void ConfigViewControllerAddModifyURL::setReferenceTableViewItem(const TableViewItemPtr& entry)
{
    referenceTableViewItem_ = entry;
    if (!entry)
        return;
    newOrModifyURL = entry->path();
    newOrModifyTitle = entry->name();
    newOrModifyComment = entry->comment();
    refreshURLField();
    setSiteTitleText(entry->name());
    setSiteCommentText(entry->comment());
}

void ConfigViewControllerAddModifyURL::setURLFieldText(const QString& text)
{
    urlFieldText_ = text;
    // The preview follows every change of the field.
    hostPreviewText_ = DatastorageHandlerURLObjects::hostOfURLTemplate(text);
}

void ConfigViewControllerAddModifyURL::refreshURLField()
{
    setURLFieldText(newOrModifyURL.value_or(QString()));
}

bool ConfigViewControllerAddModifyURL::saveEntry()
{
    const QString url = trimmingWhitespace(urlFieldText());
    const QString title = trimmingWhitespace(siteTitleText());
    const QString comment = trimmingWhitespace(siteCommentText());

    DatastorageHandlerURLObjects& handler = store_.URLHandler();
    const DatastorageResultCode result = referenceTableViewItem_
        ? handler.modifyURLInDatabase(referenceTableViewItem_, url, title, comment)
        : handler.addURLToDatabase(url, title, comment, newOrModifyTag);

    switch (result) {
    case DatastorageResultCode::done:
    case DatastorageResultCode::nothingChanged:
        setErrorLabelText(QString());
        return true;
    case DatastorageResultCode::urlInvalid:
        setErrorLabelText(L10n::addModifyUrl_URLInvalid());
        return false;
    case DatastorageResultCode::entryExists:
        setErrorLabelText(L10n::addModifyUrl_EntryAlreadyExists());
        return false;
    case DatastorageResultCode::titleEmpty:
        setErrorLabelText(L10n::addModifyUrl_NoTitle());
        return false;
    case DatastorageResultCode::notIdle:
    case DatastorageResultCode::pathEmptyOrAccessDenied:
        return false;
    }
    return false;
}

} // namespace vantel
