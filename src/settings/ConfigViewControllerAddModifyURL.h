#pragma once

#include "datastore/AddModifyURLPane.h"
#include "model/TableViewItem.h"

#include <QString>

#include <optional>

namespace vantel {

class DataStorage;

// The logic of the add-or-modify-URL pane: what it was handed, what its text
// fields and labels hold, and the save. The Widgets pane derives from it and
// mirrors the field values into its widgets by overriding the setters.
class ConfigViewControllerAddModifyURL : public AddModifyURLPane {
public:
    // The handler it saves through belongs to this store.
    explicit ConfigViewControllerAddModifyURL(DataStorage& store);

    bool hasWindow() const override { return false; }
    void presentAsSheet(const std::shared_ptr<ViewController>& controller) override { (void)controller; }

    // The URL entry being modified; none for a new entry. Setting one fills
    // the values and fields from it.
    TableViewItemPtr referenceTableViewItem() const { return referenceTableViewItem_; }
    void setReferenceTableViewItem(const TableViewItemPtr& entry) override;

    // ---- The fields' text ----
    virtual QString siteTitleText() const { return siteTitleText_; }
    void setSiteTitleText(const QString& text) override { siteTitleText_ = text; }
    virtual QString siteCommentText() const { return siteCommentText_; }
    void setSiteCommentText(const QString& text) override { siteCommentText_ = text; }
    virtual QString urlFieldText() const { return urlFieldText_; }
    virtual void setURLFieldText(const QString& text);
    virtual QString errorLabelText() const { return errorLabelText_; }
    virtual void setErrorLabelText(const QString& text) { errorLabelText_ = text; }
    // The host the URL field's text leads to; empty while it is no valid URL.
    QString hostPreviewText() const { return hostPreviewText_; }

    // Puts newOrModifyURL (or nothing) into the URL field.
    void refreshURLField() override;

    // Saves what the fields hold: modifies the reference entry or adds a new
    // one. True when saved or nothing changed; otherwise the error label
    // tells why (for an invalid URL, a duplicate or a missing title).
    bool saveEntry();

private:
    DataStorage& store_;
    TableViewItemPtr referenceTableViewItem_;
    QString siteTitleText_;
    QString siteCommentText_;
    QString urlFieldText_;
    QString errorLabelText_;
    QString hostPreviewText_;
};

} // namespace vantel
