// Markdown documents, rendered the way the help window shows them.
#include "markdown/MarkdownDocument.h"

#include <QGuiApplication>

#include <cstdint>

using namespace vantel;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    MarkdownDocument document(text);
    (void)document.renderAttributedString();
    return 0;
}
