// URL templates: placeholders found, questions answered, files joined.
#include "access/URLInputDialogProvider.h"
#include "access/URLRegExParser.h"

#include <QCoreApplication>

#include <cstdint>

using namespace vantel;

namespace {

// Answers every question with text that needs encoding in any URL part.
class Answers : public URLInputDialogProvider {
public:
    std::optional<QString> ask(const URLInputRequest&) override { return QStringLiteral("a b&c=d/é#%"); }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);
    URLInputDialogProvider::setShared(std::make_shared<Answers>());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QVariantList files{QStringLiteral("/tmp/one file"), QStringLiteral("/tmp/two,file")};
    auto parser = URLRegExParser::create(text, files);
    if (!parser)
        return 0;
    parser->findPlaceholders();
    (void)parser->urlStringWithoutPlaceholders();
    (void)parser->replacePlaceholders(QStringLiteral(","));
    return 0;
}
