// Predicate format strings, parsed and evaluated over a small object.
#include "platform/KeyValueAccessor.h"
#include "platform/Predicate.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdint>

using namespace vantel::platform;

namespace {

class Sample : public KeyValueAccessor {
public:
    QVariant valueForKey(const QString& key) const override
    {
        if (key == QLatin1String("name"))
            return QStringLiteral("Editor");
        if (key == QLatin1String("tags"))
            return QStringList{QStringLiteral("Tools"), QStringLiteral("Development")};
        if (key == QLatin1String("isVisible"))
            return true;
        return {};
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString format = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QVariantList arguments{QStringLiteral("Tools"), qint64(1), true, QStringLiteral("^E.*r$")};
    if (const auto predicate = Predicate::fromFormat(format, arguments)) {
        (void)predicate->evaluate(Sample());
        (void)predicate->description();
    }
    return 0;
}
