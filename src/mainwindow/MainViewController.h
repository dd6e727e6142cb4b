#pragma once

#include "graphics/widgets/DrawnButtonMenu.h"
#include "mainwindow/CoreViewController.h"
#include "mainwindow/MainOutlineView.h"
#include "mainwindow/MainSearchField.h"
#include "mainwindow/MainSplitView.h"
#include "mainwindow/MainTableView.h"
#include "mainwindow/MainTableViewFocus.h"
#include "mainwindow/MainViewDraggingDestination.h"
#include "mainwindow/MainViewKeyboard.h"
#include "mainwindow/SidebarTagPopover.h"
#include "mainwindow/SourceListItem.h"
#include "platform/NotificationCenter.h"
#include "platform/ui/ViewControllerBase.h"
#include "model/MainViewController.h"
#include "shell/VantelWindowEnum.h"

#include <QLabel>
#include <QPointer>
#include <QRect>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QKeyEvent;
class QMenu;

namespace vantel {

class DataStorage;

// The popover that edits an entry from its list row; the popups code
// implements it. The main view opens it when the list asks for it and
// closes it on Escape, on a change of the selection and when it goes away.
class MainTableViewPopover {
public:
    virtual ~MainTableViewPopover() = default;
    virtual bool isShown() const = 0;
    virtual void showPopover(const TableViewItemPtr& entry, int row, const QRect& globalAnchor) = 0;
    virtual void close() = 0;
};

namespace mainwindow {

// The controller of the main view: the sidebar on the left, the search
// field above the entry list on the right, the menu button and the label
// that announces files held for the next entry opened. One instance lives
// for the whole process and moves between the popover and the window host.
//
// It turns the sidebar selection into the store's current-data filter, runs
// the clicked entry, keeps list and sidebar current on the store's, tags' and
// settings' notifications only while it is on screen (viewDidAppear), tracks
// the held modifier keys and the focus, and handles the keyboard while it is
// on screen in the application's active window (handleKeyDown). It never
// removes its notification observers before it is destroyed.
// Main thread only; logs to "mainViewController".
class MainViewController : public CoreViewController,
                           public vantel::MainViewController,
                           public SpringLoadingOutlineViewDelegate {
    Q_OBJECT

public:
    static inline const QString storyboard = QStringLiteral("Main");
    static inline const QString identifier = QStringLiteral("MainViewController");
    static inline const QString splitViewAutosaveName = QStringLiteral("mainSplitview");
    // Paths named in the held-files tooltip; more end in "...".
    static constexpr int serviceManagerTooltipLimit = 25;
    static constexpr int cornerRadius = 7;
    static constexpr int sidebarWidth = 200;
    static constexpr int topBarHeight = 40;

    // With no store, the shared one.
    explicit MainViewController(QObject* parent = nullptr);
    explicit MainViewController(DataStorage& store, QObject* parent = nullptr);
    ~MainViewController() override;

    // Registers "Main"/"MainViewController" in the interface catalogue.
    static void registerInterface();

    // ---- Outlets (valid once the view is loaded) ----
    MainTableView* mainTableView() const { return mainTableView_; }
    // Also the sidebar that selects the tag row a drag of files springs open.
    MainOutlineView* sectionView() const override { return sectionView_; }
    MainSearchField* searchField() const { return searchField_; }
    QLabel* lblServiceManager() const { return lblServiceManager_; }
    DrawnButtonMenu* viewMenu() const { return viewMenu_; }
    MainSplitView* mainSplitView() const { return mainSplitView_; }
    MainViewDraggingDestination* mainDraggingDestination() const { return mainDraggingDestination_; }
    QWidget* leftTopBox() const { return leftTopBox_; }
    QWidget* rightTopBox() const { return rightTopBox_; }
    QWidget* rightVisualEffectsView() const { return rightVisualEffectsView_; }

    // ---- What the core asks ----
    bool modifierFlagsContainOptionKey() const override { return flags_.optionKey; }
    bool hasSectionView() const override { return !sectionView_.isNull(); }
    bool selectItemWithTagName(const QString& tagName) override;
    bool selectItemWithSelectionType(int selectionType) override;
    // Applies the sidebar's selected item as the store's current-data filter.
    void updateMainTableView() override;
    // What "Add File or Folder…" and "Add URL…" give a new entry.
    std::optional<QString> selectedTagName() const override;

    // ---- Held modifier keys; each change posts "modifierFlagsChanged" ----
    bool modifierFlagsContainCommandKey() const { return flags_.commandKey; }
    bool modifierFlagsContainControlKey() const { return flags_.controlKey; }
    bool modifierFlagsContainShiftKey() const { return flags_.shiftKey; }
    void setModifierFlagsContainOptionKey(bool held);
    void setModifierFlagsContainCommandKey(bool held);
    void setModifierFlagsContainControlKey(bool held);
    void setModifierFlagsContainShiftKey(bool held);
    // All four released, as when the program loses the focus.
    void clearModifierFlags() override;
    // After an edit in the entry popover.
    void redrawSelectedRow() override;
    // A modifier key went down or up: the four flags from its modifiers.
    void handleFlagsChanged(Qt::KeyboardModifiers modifiers);

    // ---- Held files ----
    const QStringList& serviceManagerValues() const { return serviceManagerValues_; }
    void setServiceManagerValues(const QStringList& paths) { serviceManagerValues_ = paths; }
    void updateServiceManagerLabel();
    // The shell handed files over (vantel::MainViewController::serviceManagerValues).
    void serviceManagerValuesChanged() override;

    // ---- Sidebar selection and the list ----
    std::shared_ptr<SourceListItem> sectionViewSelectedItem() const { return sectionViewSelectedItem_; }
    // A click (or double click, by the setting clickType) on a list row: runs
    // the selected entry with the held files.
    void tableViewAction(int clickedRow);

    // ---- Keyboard (while on screen in the active window) ----
    // Whether the key was consumed.
    bool handleKeyDown(QKeyEvent& event);
    KeyFocus currentFocus() const;
    void setFocus(FocusedControl control);
    void closePopupMenus();
    void firstResponderChanged(QWidget* old, QWidget* now);

    // ---- Collaborators, replaceable (tests, the shell) ----
    // The entry popover; by default the popups' one, made on first use.
    void setTableViewPopover(MainTableViewPopover* popover) { tableViewPopover_ = popover; }
    MainTableViewPopover* tableViewPopover();
    void setHotkeysPausedQuery(std::function<bool()> query) { hotkeysPaused_ = std::move(query); }
    // Closes the main view; by default the window catalogue's closeWindow(main).
    void setCloseMainViewAction(std::function<void()> action) { closeMainView_ = std::move(action); }
    // The menu the menu button pops up (the shell's main menu); none by default.
    static void setMainMenuProvider(std::function<QMenu*()> provider);
    void showMainMenu();

    // True between viewDidAppear and viewWillDisappear.
    bool eventMonitorsInstalled() const { return monitorsInstalled_; }

protected:
    QWidget* loadView() override;
    void viewDidLoad() override;
    void viewWillAppear() override;
    void viewDidAppear() override;
    void viewWillDisappear() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isVisibleState() const;
    void getValuesFromConfiguration();
    void setupAppearance();
    void registerObservers();
    void addEventMonitors();
    void removeEventMonitors();
    void saveSidebarSectionStates();
    bool bothSidebarSectionsCollapsed() const;
    // Posts "modifierFlagsChanged" only when the flag really changes.
    void setModifierFlag(bool CurrentModifierFlags::*flag, bool held);
    void runEntryAt(int row, const std::optional<QVariantList>& files);
    std::optional<QVariantList> heldFiles() const;
    bool typeToSelect(const QKeyEvent& event);
    bool monitorsApply() const;

    // Notification handlers.
    void currentDataHadChanged();
    void currentDataWasNotChangedDuringLastRequest();
    void applicationWasLaunched();
    void applicationWasTerminated();
    void tableViewItemChanged(const platform::Notification& notification);
    void systemSidebarSizeChanged();
    void visibleTagsRebuildNeeded();
    void visibleTagsRedrawNeeded();
    void showPathInMainViewChanged();
    void currentDataFilterRefreshed();

    DataStorage& store_;

    QPointer<MainTableView> mainTableView_;
    QPointer<MainOutlineView> sectionView_;
    QPointer<MainSearchField> searchField_;
    QPointer<QWidget> leftTopBox_;
    QPointer<QWidget> rightTopBox_;
    QPointer<QWidget> rightVisualEffectsView_;
    QPointer<QLabel> lblServiceManager_;
    QPointer<DrawnButtonMenu> viewMenu_;
    QPointer<MainSplitView> mainSplitView_;
    QPointer<MainViewDraggingDestination> mainDraggingDestination_;

    bool monitorsInstalled_ = false;
    QMetaObject::Connection firstResponderValueObservation_;
    std::shared_ptr<SourceListItem> sectionViewSelectedItem_;
    CurrentModifierFlags flags_;
    QStringList serviceManagerValues_;
    std::vector<platform::ObserverToken> observers_;
    QMetaObject::Connection singleAction_;
    QMetaObject::Connection doubleAction_;

    bool isEntryPopoverShown() const { return tableViewPopover_ && tableViewPopover_->isShown(); }

    MainTableViewPopover* tableViewPopover_ = nullptr;
    std::unique_ptr<MainTableViewPopover> defaultTableViewPopover_;
    std::unique_ptr<SidebarDropHandler> sidebarDropHandler_;
    std::unique_ptr<SidebarTagPopover> sidebarTagPopover_;
    std::function<bool()> hotkeysPaused_;
    std::function<void()> closeMainView_;
};

} // namespace mainwindow
} // namespace vantel
