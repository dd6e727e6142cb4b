#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>

#include <memory>

namespace vantel::platform {

class KeyedArchiver;
class KeyedUnarchiver;

// An application object that the keyed archiver can write. Reading is done by
// a factory registered with KeyedUnarchiver::registerClass under the same name.
class Archivable {
public:
    virtual ~Archivable() = default;

    // The module-qualified name archives record, e.g. "Vantel.TableViewItem".
    virtual QString archiveClassName() const = 0;
    // The class and its ancestors, most derived first; written as "$classes".
    virtual QStringList archiveClassChain() const;
    virtual void encode(KeyedArchiver& coder) const = 0;
};

using ArchivablePtr = std::shared_ptr<Archivable>;

} // namespace vantel::platform

Q_DECLARE_METATYPE(vantel::platform::ArchivablePtr)
