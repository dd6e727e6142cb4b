#pragma once

#include <QString>
#include <QStringList>

namespace vantel {

// The few Unicode character sets the engine classifies characters with.
class CharacterSet {
public:
    enum Kind {
        newlines,               // U+000A..U+000D, U+0085, U+2028, U+2029
        whitespaces,            // space separators and tab
        whitespacesAndNewlines, // both of the above
    };

    static bool containsScalar(Kind set, char32_t scalar);

    // True when every Unicode scalar of `character` is in the set (also when it has none).
    static bool characterInSet(const QString& character, Kind set);

    // The characters (extended grapheme clusters) of `text`, in order.
    static QStringList characters(const QString& text);

    // `text` without the set's characters at both ends.
    static QString trimmed(const QString& text, Kind set);
};

} // namespace vantel
