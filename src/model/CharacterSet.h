#pragma once

#include <QString>

#include <bitset>
#include <optional>

namespace vantel {

// A set of characters for percent-encoding. The URL sets hold ASCII
// characters only; their complements hold every non-ASCII character too.
class CharacterSet {
public:
    CharacterSet() = default;
    static CharacterSet fromASCII(const char* characters, bool alphanumerics);

    bool contains(char32_t codePoint) const;
    CharacterSet inverted() const;
    CharacterSet unioned(const CharacterSet& other) const;
    CharacterSet subtracting(const char* characters) const;
    bool operator==(const CharacterSet&) const = default;

    // The standard URL sets.
    static CharacterSet urlQueryAllowed();
    static CharacterSet urlPathAllowed();
    static CharacterSet urlFragmentAllowed();
    static CharacterSet urlHostAllowed();

private:
    std::bitset<128> ascii_;
    bool nonASCII_ = false;
};

// The derived sets, each built once on first use and handed out as a copy.
CharacterSet urlQueryValueAllowed();    // query without "&" and "?"
CharacterSet urlQueryDisallowed();
CharacterSet urlQueryValueDisallowed();
CharacterSet urlPathDisallowed();
CharacterSet urlFragmentDisallowed();
CharacterSet urlHostDisallowed();
CharacterSet urlComponentsDisallowed();  // union of the five above
// What may stand unencoded in any component of a URL.
CharacterSet urlComponentAllowed();

// Every character outside `allowed` written as its UTF-8 bytes, each "%XX".
// None for text that is not valid UTF-16 (a lone surrogate).
std::optional<QString> addingPercentEncoding(const QString& text, const CharacterSet& allowed);

} // namespace vantel
