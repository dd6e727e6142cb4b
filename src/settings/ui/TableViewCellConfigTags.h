#pragma once

#include "model/TableViewItem.h"

#include "settings/ui/CellStamp.h"

#include <memory>

namespace vantel {
class CustomTokenField;
class DrawnCheckBoxFavorite;
class TagManager;
}

namespace vantel::settingsui {

class ConfigTableViewModel;

// The tags column of the data window's list ("TableViewCell_Config_Tags"):
// the entry's tags as tokens and the favourite star. The tokens are drawn
// with a hidden token field and edited in a real one, made only for the cell
// being edited; a click on the star toggles the favourite mark.
//
// At the end of editing the tokens, trimmed and without empty ones, become
// the entry's tags when they are another set than its own. Escape closes
// the editor with nothing written and no tag made.
class TableViewCellConfigTags : public ConfigCellDelegate {
    Q_OBJECT

public:
    static inline const QString identifier = QStringLiteral("TableViewCell_Config_Tags");
    static constexpr int starSide = 18;

    TableViewCellConfigTags(const ConfigTableViewModel& model, TagManager* tagManager, QObject* parent = nullptr);
    ~TableViewCellConfigTags() override;

    static QRect starRect(const QRect& cell);
    static QRect tokenRect(const QRect& cell);
    // The tokens as tags: trimmed, empty ones dropped.
    static QStringList tagsFromTokens(const QStringList& tokens);
    // Writes the tokens to the entry when they are another set of tags.
    static void applyTokens(TableViewItem& entry, const QStringList& tokens);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

signals:
    void favoriteClicked(int row);

protected:
    QRect editorRect(const QRect& cell) const override;
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    const ConfigTableViewModel& model_;
    TagManager* tagManager_;
    std::unique_ptr<CustomTokenField> tokenStamp_;
    std::unique_ptr<DrawnCheckBoxFavorite> starStamp_;
};

} // namespace vantel::settingsui
