#include "popups/TagIconItem.h"

#include "platform/Bundle.h"

namespace vantel {

TagIconItem::TagIconItem(const QString& imageName)
{
    setImageName(imageName);
}

void TagIconItem::setImageName(const std::optional<QString>& name)
{
    imageName_ = name;
    image_ = name ? platform::Bundle::main().imageNamed(*name) : std::nullopt;
}

} // namespace vantel
