#include "popups/TagIconModel.h"

#include "datastore/TagManager.h"
#include "graphics/ImageUtilities.h"
#include "model/LocalizedStrings.h"

namespace vantel {

QStringList TagIconModel::catalogue()
{
    return TagManager::shared().iconNames();
}

QString TagIconModel::spokenName(const QString& imageName)
{
    const qsizetype row = catalogue().indexOf(imageName);
    return row < 0 ? QString() : localized("Symbol %1").arg(row + 1);
}

TagIconModel::TagIconModel(QObject* parent)
    : TagIconModel(catalogue(), parent)
{
}

TagIconModel::TagIconModel(const QStringList& imageNames, QObject* parent)
    : QAbstractListModel(parent)
    , names_(imageNames)
    , items_(size_t(imageNames.size()))
    , tinted_(size_t(imageNames.size()))
{
}

void TagIconModel::setTintColor(const std::optional<QColor>& color)
{
    tintColor_ = color;
    std::fill(tinted_.begin(), tinted_.end(), std::nullopt);
    if (!names_.isEmpty())
        emit dataChanged(index(0), index(int(names_.size()) - 1), {Qt::DecorationRole});
}

QString TagIconModel::imageName(int row) const
{
    return row >= 0 && row < names_.size() ? names_.at(row) : QString();
}

int TagIconModel::rowOf(const QString& imageName) const
{
    return int(names_.indexOf(imageName));
}

int TagIconModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(names_.size());
}

const TagIconItem& TagIconModel::item(int row) const
{
    std::optional<TagIconItem>& slot = items_[size_t(row)];
    if (!slot)
        slot.emplace(names_.at(row));
    return *slot;
}

QVariant TagIconModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= names_.size())
        return {};
    const int row = index.row();
    switch (role) {
    case Qt::DecorationRole: {
        const std::optional<QIcon>& image = item(row).image();
        if (!image)
            return {}; // no image of that name: the cell stays empty, untinted
        std::optional<QIcon>& tinted = tinted_[size_t(row)];
        if (!tinted)
            tinted = vantel::tinted(*image, tintColor_);
        return *tinted;
    }
    case Qt::AccessibleTextRole:
        // No tool tip: an image's name is no word a user reads.
        return localized("Symbol %1").arg(row + 1);
    case ImageNameRole:
        return names_.at(row);
    default:
        return {};
    }
}

} // namespace vantel
