#pragma once

#include "markdown/view/CustomMarkdownTextView.h"

#include "platform/NotificationCenter.h"
#include "settings/ui/PaneLayout.h"
#include "settings/ui/SettingsViewController.h"

#include <QAbstractListModel>
#include <QIcon>
#include <QPointer>
#include <QToolButton>
#include <QListView>
#include <QStyledItemDelegate>
#include <QUrl>

#include <memory>

namespace vantel {

class SandboxFileAccessProtocol;

// The grants of the bookmark store, sorted by their URLs' text (a folder
// before its subfolders). Whether each still resolves is worked out when
// the list is rebuilt, not while painting.
class SandboxAccessModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role { validRole = Qt::UserRole + 1, urlRole };

    struct Row {
        QUrl url;
        bool valid = false;
        QIcon icon;
    };

    using QAbstractListModel::QAbstractListModel;

    void setRows(QList<Row> rows);
    const QList<Row>& rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QList<Row> rows_;
};

// Paints a grant: the icon of its file (or "status_unknown") and its path,
// red when the grant no longer resolves; "URL invalid" for a row without one.
class TableViewCellConfigSandboxAccess : public PathListCell {
    Q_OBJECT

public:
    static inline const QString identifier = QStringLiteral("TableViewCellConfigSandboxAccess");

    using PathListCell::PathListCell;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

// The Folder access tab: every grant the bookmark store keeps, with add
// (a file or folder from a chooser) and remove. The store is the only
// state: every change goes to it, and its "globalBookmarksChanged" refreshes
// the list while the window is on screen.
class ConfigViewControllerSandboxAccess : public SettingsViewController {
    Q_OBJECT

public:
    static constexpr QSize preferredSize{800, 600};

    // Over the access layer's store.
    explicit ConfigViewControllerSandboxAccess(QObject* parent = nullptr);
    explicit ConfigViewControllerSandboxAccess(std::shared_ptr<SandboxFileAccessProtocol> store,
                                               QObject* parent = nullptr);
    ~ConfigViewControllerSandboxAccess() override;

    QList<QUrl> tableViewContent() const;
    QListView* tableViewSandboxAccess() const { return tableViewSandboxAccess_; }
    QToolButton* addButton() const { return addButton_; }
    QToolButton* removeButton() const { return removeButton_; }
    CustomMarkdownTextView* markDownTextView() const { return markDownTextView_; }

    void reloadBookmarks();
    // Stores a grant for a chosen file or folder, as the chooser's completion.
    void addBookmark(const QString& path);
    // The add and remove actions.
    void addBookmarkWithPanel();
    void removeSelectedBookmark();

protected:
    QWidget* loadView() override;
    void viewDidLoad() override;
    void viewWillAppear() override;

private:
    std::shared_ptr<SandboxFileAccessProtocol> store() const;

    std::shared_ptr<SandboxFileAccessProtocol> store_;
    QPointer<SandboxAccessModel> model_;
    QPointer<QListView> tableViewSandboxAccess_;
    QPointer<QToolButton> addButton_;
    QPointer<QToolButton> removeButton_;
    QPointer<CustomMarkdownTextView> markDownTextView_;
    platform::ObserverToken observer_;
};

} // namespace vantel
