#pragma once

#include "model/TableViewItem.h"
#include "shell/VantelWindowEnum.h"

#include <QString>

#include <optional>

namespace vantel {

class DataStorage;

// The logic of the add-or-modify-URL pane: what it was handed, what its text
// fields and labels hold, and the save. The Widgets pane derives from it and
// mirrors the field values into its widgets by overriding the setters.
class ConfigViewControllerAddModifyURL : public ViewController {
public:
    // The handler it saves through belongs to this store.
    explicit ConfigViewControllerAddModifyURL(DataStorage& store);

    bool hasWindow() const override { return false; }
    void presentAsSheet(const std::shared_ptr<ViewController>& controller) override { (void)controller; }

    // What the URL handler hands over.
    std::optional<QString> newOrModifyURL;
    std::optional<QString> newOrModifyTitle;
    std::optional<QString> newOrModifyComment;
    // The tag a new entry gets.
    std::optional<QString> newOrModifyTag;

    // The URL entry being modified; none for a new entry. Setting one fills
    // the values and fields from it.
    TableViewItemPtr referenceTableViewItem() const { return referenceTableViewItem_; }
    void setReferenceTableViewItem(const TableViewItemPtr& entry);

    // ---- The fields' text ----
    virtual QString siteTitleText() const { return siteTitleText_; }
    virtual void setSiteTitleText(const QString& text) { siteTitleText_ = text; }
    virtual QString siteCommentText() const { return siteCommentText_; }
    virtual void setSiteCommentText(const QString& text) { siteCommentText_ = text; }
    virtual QString urlFieldText() const { return urlFieldText_; }
    virtual void setURLFieldText(const QString& text);
    virtual QString errorLabelText() const { return errorLabelText_; }
    virtual void setErrorLabelText(const QString& text) { errorLabelText_ = text; }
    // The host the URL field's text leads to; empty while it is no valid URL.
    QString hostPreviewText() const { return hostPreviewText_; }

    // Puts newOrModifyURL (or nothing) into the URL field.
    void refreshURLField();

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
