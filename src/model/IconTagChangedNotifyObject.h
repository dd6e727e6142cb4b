#pragma once

#include "model/IconTagChangeReason.h"

#include <QString>

#include <optional>

namespace vantel {

// The object of every "iconTagChanged" notification: the tag's name after the
// change and the reason. Posted by value in the notification's std::any.
struct IconTagChangedNotifyObject {
    QString tagName;
    std::optional<IconTagChangeReason> reason;
};

} // namespace vantel
