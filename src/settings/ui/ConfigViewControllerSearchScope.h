#pragma once

#include "markdown/view/CustomMarkdownTextView.h"

#include "platform/NotificationCenter.h"
#include "settings/ui/PaneLayout.h"
#include "settings/ui/SettingsViewController.h"

#include <QAbstractListModel>
#include <QColor>
#include <QIcon>
#include <QPointer>
#include <QToolButton>
#include <QListView>
#include <QStyledItemDelegate>

namespace vantel {

class Configuration;
class SandboxFileAccess;

// One row of the search scope tab. The status is worked out when the row is
// made and after its lock is clicked, never while painting.
struct SearchScopeEntryForConfig {
    enum class Status { readOnly, unreachable, accessible, locked };

    QString path;
    bool readonlySystemPath = false;
    Status status = Status::readOnly;
    QIcon icon;
};

class SearchScopeModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { statusRole = Qt::UserRole + 1, readOnlyRole };

    using QAbstractListModel::QAbstractListModel;

    void setEntries(QList<SearchScopeEntryForConfig> entries);
    const QList<SearchScopeEntryForConfig>& entries() const { return entries_; }
    void setEntry(int row, const SearchScopeEntryForConfig& entry);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // Default scopes can't be selected.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QList<SearchScopeEntryForConfig> entries_;
};

// Paints a scope: its icon, its path (grey for a default scope, red when it
// can't be reached or read) and, where access is missing, a lock that asks
// for it when clicked.
class TableViewCellConfigSearchScope : public PathListCell {
    Q_OBJECT

public:
    static inline const QString identifier = QStringLiteral("TableViewCellConfigSearchScope");

    using PathListCell::PathListCell;

    // Where the lock sits in a row.
    static QRect lockRect(const QRect& row);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

signals:
    void lockClicked(int row);
};

// The Search scope tab: the folders in which applications are looked for,
// first the default ones (read-only), then the user's own, which are added
// through a folder chooser and removed again. A change of the user's list
// is stored at once and announced with "customSpotlightSearchScopeChanged",
// on which discovery searches the new list.
class ConfigViewControllerSearchScope : public SettingsViewController {
    Q_OBJECT

public:
    static constexpr QSize preferredSize{800, 600};

    explicit ConfigViewControllerSearchScope(Configuration& config, QObject* parent = nullptr);
    ConfigViewControllerSearchScope(Configuration& config, SandboxFileAccess& access, QObject* parent = nullptr);
    ~ConfigViewControllerSearchScope() override;

    const QList<SearchScopeEntryForConfig>& searchScopesForConfig() const { return model_->entries(); }
    QListView* tableViewSpotlightSearchScope() const { return tableViewSpotlightSearchScope_; }
    QToolButton* addButton() const { return addButton_; }
    QToolButton* removeButton() const { return removeButton_; }
    CustomMarkdownTextView* markDownTextView() const { return markDownTextView_; }

    void rebuildSearchScopes();
    // Adds a folder as the folder chooser's completion does.
    void addScopes(const QString& path);
    // The add and remove actions.
    void addScopeWithPanel();
    void removeSelectedScope();
    // The lock of a row: asks for access, then shows the new status.
    void btnAccessLockedClick(int row);
    // The status of a path as its cell shows it.
    SearchScopeEntryForConfig::Status refreshStatus(const QString& path, bool readOnly) const;

protected:
    QWidget* loadView() override;
    void viewDidLoad() override;
    void viewWillAppear() override;

private:
    void customSpotlightSearchScopeChangeDetected();
    void logAccessTest(const QString& path, bool granted) const;

    Configuration& config_;
    SandboxFileAccess& access_;
    QPointer<SearchScopeModel> model_;
    QPointer<QListView> tableViewSpotlightSearchScope_;
    QPointer<QToolButton> addButton_;
    QPointer<QToolButton> removeButton_;
    QPointer<CustomMarkdownTextView> markDownTextView_;
    platform::ObserverToken observer_;
};

} // namespace vantel
