#pragma once

#include "markdown/view/CustomMarkdownTextView.h"

#include "access/URLAttributedStringParser.h"
#include "settings/ui/SettingsViewController.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QToolButton>
#include <QTableView>
#include <QStyledItemDelegate>

namespace vantel {

class URLManager;

// The rows of the URL templates tab: the templates of the URL manager
// itself, title and URL, edited in place (no copy is kept).
class URLTemplatesModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { titleColumn, urlColumn };
    static constexpr int maxLength = 3072;

    explicit URLTemplatesModel(URLManager& urls, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    void reload();

private:
    URLManager& urls_;
};

// Paints a template's URL in its colours and edits both fields in a text
// field that takes at most 3072 characters; the edit reaches the template
// when editing ends.
class TableViewCellConfigURLTemplate : public QStyledItemDelegate {
    Q_OBJECT

public:
    static inline const QString identifier = QStringLiteral("TableViewCellConfigURLTemplate");

    explicit TableViewCellConfigURLTemplate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

private:
    URLAttributedStringParser urlAttributedStringParser_;
};

// The URL templates tab: one row per template of the URL manager, add and
// remove buttons and the help text. Templates without a title or URL are
// dropped whenever the pane leaves the screen.
class ConfigViewControllerURLTemplates : public SettingsViewController {
    Q_OBJECT

public:
    static constexpr QSize preferredSize{800, 600};

    explicit ConfigViewControllerURLTemplates(QObject* parent = nullptr);
    ConfigViewControllerURLTemplates(URLManager& urls, QObject* parent = nullptr);

    QTableView* tableviewURLTemplates() const { return tableviewURLTemplates_; }
    QToolButton* addButton() const { return addButton_; }
    QToolButton* removeButton() const { return removeButton_; }
    CustomMarkdownTextView* markdownTextview() const { return markdownTextview_; }
    URLTemplatesModel* model() const { return model_; }

    // The add and remove actions.
    void addTemplate();
    void removeTemplate();
    void reloadTable();

protected:
    QWidget* loadView() override;
    void viewDidLoad() override;
    void viewWillAppear() override;
    void viewWillDisappear() override;

private:
    URLManager& urls_;
    QPointer<URLTemplatesModel> model_;
    QPointer<QTableView> tableviewURLTemplates_;
    QPointer<QToolButton> addButton_;
    QPointer<QToolButton> removeButton_;
    QPointer<CustomMarkdownTextView> markdownTextview_;
};

} // namespace vantel
