#pragma once

#include <QString>

namespace vantel {

// Texts are limited by what the user sees as characters (grapheme clusters):
// an emoji, a flag or a letter with its combining marks counts once, and a
// cut never splits a surrogate pair or a combining sequence.

// The number of user-perceived characters in the text.
qsizetype characterCount(const QString& text);

// The first `count` characters of the text; the whole text when it has no
// more. A negative count gives an empty text.
QString leftCharacters(const QString& text, qsizetype count);

} // namespace vantel
