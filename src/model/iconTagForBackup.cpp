#include "model/iconTagForBackup.h"

namespace vantel {

std::shared_ptr<iconTagForBackup> iconTagForBackup::create(const QString& newName, const QString& symbolUsed)
{
    return std::make_shared<iconTagForBackup>(newName, symbolUsed);
}

std::shared_ptr<iconTagForBackup> iconTagForBackup::initWithCoder(platform::KeyedUnarchiver& coder)
{
    auto tag = std::make_shared<iconTagForBackup>(Decoding{});
    if (!decodeInto(*tag, coder))
        return nullptr;
    return tag;
}

QString iconTagForBackup::archiveClassName() const
{
    return QStringLiteral("Vantel.iconTagForBackup");
}

QStringList iconTagForBackup::archiveClassChain() const
{
    return {archiveClassName(), iconTag::archiveName(), QStringLiteral("NSObject")};
}

} // namespace vantel
