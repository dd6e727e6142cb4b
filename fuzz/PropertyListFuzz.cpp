// Property lists in both forms, and keyed archives read from them.
#include "platform/KeyedUnarchiver.h"
#include "platform/PropertyList.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdlib>

using namespace vantel::platform;

namespace {

// Values in the tree, counting stopped at `limit`: shared objects may expand a
// small input into millions of values, legitimately but too slowly to write back
// on every run.
int countValues(const QVariant& value, int limit)
{
    int count = 1;
    if (value.typeId() == QMetaType::QVariantList) {
        for (const QVariant& item : value.toList()) {
            if (count >= limit)
                break;
            count += countValues(item, limit - count);
        }
    } else if (value.typeId() == QMetaType::QVariantMap) {
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend() && count < limit; ++it)
            count += countValues(it.value(), limit - count);
    }
    return count;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    if (const auto value = PropertyList::parse(bytes, &error); value && countValues(*value, 100000) < 100000) {
        // Whatever was read can be written back and reads the same way.
        const QByteArray written = PropertyList::serialize(*value, PropertyList::Format::Binary, &error);
        if (written.isEmpty() || !PropertyList::parse(written))
            std::abort();
        (void)PropertyList::serialize(*value, PropertyList::Format::Xml);
    } else if (!value && error.isEmpty()) {
        std::abort();
    }
    KeyedUnarchiver::Options options;
    options.allowedClasses = {QStringLiteral("Vantel.TableViewItem")};
    const auto result = KeyedUnarchiver::unarchiveTopLevelObject(bytes, options);
    if (!result.ok() && result.message.isEmpty())
        std::abort();
    return 0;
}
