#pragma once

#include <QListView>

namespace vantel {

class TagIconModel;

// A grid of tag symbols: square items of one size, 10 points apart and 10
// from the edges, at most one selected and, once one is, never none. Until
// the owner sets another model it shows the whole catalogue untinted.
class IconChooseCollectionView : public QListView {
    Q_OBJECT
public:
    explicit IconChooseCollectionView(QWidget* parent = nullptr);

    QSize itemSize() const { return itemSize_; }
    void setItemSize(const QSize& size);
    static constexpr int spacing = 10;

    // The catalogue model the view made for itself.
    TagIconModel* ownModel() const { return ownModel_; }

    QSize sizeHint() const override;

signals:
    // The user selected the symbol at `row`.
    void iconSelected(int row);

protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    QSize itemSize_{24, 24};
    TagIconModel* ownModel_ = nullptr;
};

} // namespace vantel
