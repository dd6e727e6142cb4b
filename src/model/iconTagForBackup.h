#pragma once

#include "model/iconTag.h"

namespace vantel {

// The tag manager's snapshot of a visible tag: a tag that never posts.
class iconTagForBackup : public iconTag {
public:
    iconTagForBackup(const QString& newName, const QString& symbolUsed) : iconTag(newName, symbolUsed) {}
    explicit iconTagForBackup(Decoding decoding) : iconTag(decoding) {}

    static std::shared_ptr<iconTagForBackup> create(const QString& newName, const QString& symbolUsed);
    static std::shared_ptr<iconTagForBackup> initWithCoder(platform::KeyedUnarchiver& coder);

    void tagChanged(IconTagChangeReason) override {}
    QString archiveClassName() const override;
    QStringList archiveClassChain() const override;
};

} // namespace vantel
