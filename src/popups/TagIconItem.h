#pragma once

#include <QIcon>
#include <QString>

#include <optional>

namespace vantel {

// One icon of the tag-symbol grids: an image name and the application's
// image of that name, looked up when the name is set. A name the
// application has no image for gives no image, and the item stays empty.
class TagIconItem {
public:
    TagIconItem() = default;
    explicit TagIconItem(const QString& imageName);

    const std::optional<QString>& imageName() const { return imageName_; }
    void setImageName(const std::optional<QString>& name);
    const std::optional<QIcon>& image() const { return image_; }

private:
    std::optional<QString> imageName_;
    std::optional<QIcon> image_;
};

} // namespace vantel
