#pragma once

#include "mainwindow/SourceListItem.h"

namespace vantel {

// A section header ("Categories", "Tags"). Its tag is its caption; icon and
// colour are kept as set.
class SourceListItemSection : public SourceListItem {
    struct Passkey {};

public:
    static std::shared_ptr<SourceListItemSection> create(const QString& name, SourceListItemContentType contentType);
    SourceListItemSection(Passkey, const QString& name, SourceListItemContentType contentType);

    std::optional<QIcon> icon() const override { return icon_; }
    void setIcon(const std::optional<QIcon>& icon) override { icon_ = icon; }
    std::optional<QColor> color() const override { return color_; }
    void setColor(const std::optional<QColor>& color) override { color_ = color; }
    SourceListItemImage image() const override { return {}; }

private:
    std::optional<QIcon> icon_;
    std::optional<QColor> color_;
};

} // namespace vantel
