#pragma once

#include "datastore/DataStorageFilterConfigData.h"
#include "platform/NotificationCenter.h"
#include "settings/ui/ConfigWindowControllerBase.h"
#include "settings/ui/ConfigWindowServices.h"

#include <QPointer>

class QAction;
class QComboBox;
class QToolBar;

namespace vantel::settingsui {

class ConfigSearchField;
class ConfigSplitViewController;

// The data window ("Configuration" / "Modify Data", kind config): the entry
// list with its editor sidebar, and a toolbar with the search field, the
// type and active pop-ups and the buttons that add, export, import and open
// the tags window. The window never filters by itself: it writes the
// configuration filter's fields (each re-applied only when it changed) and
// reloads the list when the store posts "currentDataConfigChanged". The
// filter's state lives in the store and so outlasts the window. Main thread
// only.
class ConfigWindowController : public ConfigWindowControllerBase {
    Q_OBJECT

public:
    static inline const QString identifier = QStringLiteral("ConfigWindowController");
    static const QSize defaultSize;

    ConfigWindowController();
    explicit ConfigWindowController(ConfigWindowServices services);
    ~ConfigWindowController() override;

    void showWindow(bool runModal) override;

    ConfigSearchField* searchField() const { return searchField_; }
    QComboBox* filterPopupButton() const { return filterPopupButton_; }
    QComboBox* activePopupButton() const { return activePopupButton_; }
    QToolBar* toolbar() const { return toolbar_; }
    ConfigSplitViewController* splitViewController() const;
    // The toolbar's action of the given accessible name ("Add URL", ...).
    QAction* toolbarAction(const QString& name) const;

    static QString titleOf(ConfigEnumFilterType type);
    static QString titleOf(ConfigEnumFilterActive active);

    // ---- Actions ----
    void showSidebar();
    void configAddURL();
    void configAddExternalObject();
    void configExportData();
    void configExportDataAsCSV();
    void configImportData();
    void configModifyTags();
    void configFilterPopupButton();
    void configActivePopupButton();
    void searchTextChanged();

private:
    ConfigWindowController(ConfigWindowServices services, std::shared_ptr<ViewController> content);
    void windowDidLoad();
    void entryAddedOrModified(bool url);
    void currentDataConfigChanged();

    ConfigWindowServices services_;
    QToolBar* toolbar_ = nullptr;
    ConfigSearchField* searchField_ = nullptr;
    QComboBox* filterPopupButton_ = nullptr;
    QComboBox* activePopupButton_ = nullptr;
    platform::ObserverToken urlObserver_;
    platform::ObserverToken fileObserver_;
    platform::ObserverToken configObserver_;
};

} // namespace vantel::settingsui
