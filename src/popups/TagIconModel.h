#pragma once

#include "popups/TagIconItem.h"

#include <QAbstractListModel>
#include <QColor>
#include <QStringList>

#include <optional>
#include <vector>

namespace vantel {

// The tag symbols as a list model for the icon grids: one row per image
// name, in the catalogue's order, its decoration the symbol tinted in the
// tint colour (untinted without one). Images are looked up when a row is
// first asked for; a new tint redraws every row. Main thread only.
class TagIconModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { ImageNameRole = Qt::UserRole + 1 };

    // The catalogue of TagManager.
    static QStringList catalogue();
    // What a screen reader says for a symbol: its place in the catalogue.
    // The image names ("icon_folder_home") are no words a user reads.
    static QString spokenName(const QString& imageName);

    explicit TagIconModel(QObject* parent = nullptr);
    TagIconModel(const QStringList& imageNames, QObject* parent = nullptr);

    const std::optional<QColor>& tintColor() const { return tintColor_; }
    void setTintColor(const std::optional<QColor>& color);

    QString imageName(int row) const;
    int rowOf(const QString& imageName) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    const TagIconItem& item(int row) const;

    QStringList names_;
    mutable std::vector<std::optional<TagIconItem>> items_;
    // The tinted image of each row, made at its first paint after a tint change.
    mutable std::vector<std::optional<QIcon>> tinted_;
    std::optional<QColor> tintColor_;
};

} // namespace vantel
