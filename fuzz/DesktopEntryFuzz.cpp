// Desktop-entry files, and the lookups an application index makes on them.
#include "platform/DesktopEntry.h"

#include <QCoreApplication>

#include <cstdint>

using namespace vantel::platform;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto entry = DesktopEntry::parse(bytes);
    if (!entry)
        return 0;
    for (const QString& group : entry->groups()) {
        (void)entry->string(QStringLiteral("Name"), group);
        (void)entry->localeString(QStringLiteral("Name"), QStringLiteral("de_DE.UTF-8@euro"), group);
    }
    (void)entry->string(QStringLiteral("Exec"));
    return 0;
}
