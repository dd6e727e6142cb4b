#pragma once

#include "markdown/AttributedText.h"

class QTextDocument;

namespace vantel {

// Puts an attributed text into a QTextDocument for display.
class TextDocumentWriter {
public:
    // Replaces the whole content of `document` with `text`.
    static void write(const AttributedText& text, QTextDocument& document);
};

} // namespace vantel
