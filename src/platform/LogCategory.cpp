#include "platform/LogCategory.h"

#include "platform/Log.h"

namespace vantel::platform {

LogCategory::LogCategory(const char* name)
    : name_(QString::fromUtf8(name ? name : ""))
    , qtName_((Log::subsystem() + QLatin1Char('.') + name_).toUtf8())
    , qtCategory_(qtName_.constData())
{
}

QString LogCategory::name() const
{
    return name_;
}

const QLoggingCategory& LogCategory::qtCategory() const
{
    return qtCategory_;
}

} // namespace vantel::platform
