#pragma once

#include "model/TableViewItem.h"
#include "platform/NotificationCenter.h"
#include "settings/ui/ConfigTableView.h"
#include "settings/ui/ConfigViewControllerBase.h"
#include "settings/ui/ConfigWindowServices.h"

#include <QPointer>

class QMimeData;

namespace vantel::settingsui {

class ConfigTableViewModel;
class TableViewCellConfigEntry;
class TableViewCellConfigTags;
class TableViewCellConfigHotkey;
class TableViewCellConfigComment;

// The entry list of the data window: every entry of the store's
// configuration list in four columns (entry, tags, hotkey, comment), edited
// in place, sorted by column, and taking drops of files and web URLs. The
// list itself is the model; a changed entry repaints only its row. Each
// selection change is posted as "configTableViewSelectionDidChange" with the
// selected rows, for the editor sidebar.
//
// While it is shown the global hotkeys are paused (one counted pause of its
// own); when it goes the store is rebuilt, the configuration saved, the
// pause ended and the list emptied. Main thread only.
class ConfigViewControllerContent : public ConfigViewControllerBase {
    Q_OBJECT

public:
    static constexpr int rowHeight = 40;
    static inline const QString selectionDidChangeNotification = QStringLiteral("configTableViewSelectionDidChange");

    explicit ConfigViewControllerContent(QObject* parent = nullptr);
    explicit ConfigViewControllerContent(ConfigWindowServices services, QObject* parent = nullptr);
    ~ConfigViewControllerContent() override;

    ConfigTableView* dataTableView();
    ConfigTableViewModel* model() const { return model_; }
    const ConfigWindowServices& services() const { return services_; }

    // Reloads the rows, keeping every selected entry that is still in the
    // list selected (at whatever row), the current one current; when none
    // is, posts the selection as it is. Linear in the list.
    void reloadTable();
    // A click on a column header: sorts the filter's list by the column.
    void sortDescriptorsDidChange(int column, Qt::SortOrder order);
    // A user-made URL entry opens in the modify-URL sheet; others nothing.
    void tableViewDoubleClick();
    Qt::DropAction validateDrop(const QMimeData* data) const;
    bool acceptDrop(const QMimeData* data);

    // ---- The cells' actions, by row ----
    void visibleCheckboxClick(int row, bool checked);
    void removeButtonClick(int row);
    void colorButtonClick(int row, const QRect& colorBox);
    void checkboxFavoriteClick(int row);

    // The controller the modify-URL sheet is shown on; this one by default.
    void setSheetPresenter(std::function<std::shared_ptr<ViewController>()> presenter)
    {
        sheetPresenter_ = std::move(presenter);
    }
    bool hotkeysPausedByList() const { return hotkeyPause_.isHeld(); }

protected:
    QWidget* loadView() override;
    void viewDidLoad() override;
    void viewWillAppear() override;
    void viewWillDisappear() override;
    void viewDidDisappear() override;

private:
    void tableViewSelectionDidChange();
    void tableViewItemChanged(const platform::Notification& notification);
    TableViewItemPtr entryAtSelectedRow() const;

    ConfigWindowServices services_;
    HotkeyPause hotkeyPause_;
    ConfigTableView* table_ = nullptr;
    ConfigTableViewModel* model_ = nullptr;
    TableViewCellConfigEntry* entryCell_ = nullptr;
    TableViewCellConfigTags* tagsCell_ = nullptr;
    TableViewCellConfigHotkey* hotkeyCell_ = nullptr;
    TableViewCellConfigComment* commentCell_ = nullptr;
    // Where the colour popover points from: one for the whole list.
    QWidget* colorAnchor_ = nullptr;
    bool refilterPending_ = false;
    std::function<std::shared_ptr<ViewController>()> sheetPresenter_;
    platform::ObserverToken itemChangedObserver_;
};

} // namespace vantel::settingsui
