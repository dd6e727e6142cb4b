#pragma once

#include "mainwindow/SourceListItem.h"

namespace vantel {

// A category row (applications, files, ...). Its tag wraps the caption in
// markers that no user tag name carries, so it never equals a tag and is
// never empty. The icon is the category's bundle image tinted with the
// item's colour; an assigned icon is ignored.
class SourceListItemFixedEntry : public SourceListItem {
    struct Passkey {};

public:
    static std::shared_ptr<SourceListItemFixedEntry> create(const QString& name, SourceListItemContentType contentType);
    SourceListItemFixedEntry(Passkey, const QString& name, SourceListItemContentType contentType);

    // "::%" + name + "%::%%"
    static QString tagForCaption(const QString& name);
    // The bundle image of a category; empty for the other content types.
    static QString imageNameForContentType(SourceListItemContentType type);

    void setIcon(const std::optional<QIcon>&) override {}
    std::optional<QColor> color() const override { return color_; }
    void setColor(const std::optional<QColor>& color) override { color_ = color; }
    SourceListItemImage image() const override;

private:
    std::optional<QColor> color_;
};

} // namespace vantel
