#include "mainwindow/SourceListItemSection.h"

namespace vantel {

std::shared_ptr<SourceListItemSection> SourceListItemSection::create(const QString& name,
                                                                     SourceListItemContentType contentType)
{
    return std::make_shared<SourceListItemSection>(Passkey{}, name, contentType);
}

SourceListItemSection::SourceListItemSection(Passkey, const QString& name, SourceListItemContentType contentType)
    : SourceListItem(name, SourceListItemType::header, contentType, name)
{
}

} // namespace vantel
