#pragma once

#include <QString>

#include <optional>

namespace vantel {

// One physical key of a Mac keyboard, independent of the layout. Its raw
// value (the case name) is what stored key combinations hold.
enum class Key {
    a,
    s,
    d,
    f,
    h,
    g,
    z,
    x,
    c,
    v,
    b,
    q,
    w,
    e,
    r,
    y,
    t,
    one,
    two,
    three,
    four,
    six,
    five,
    equal,
    nine,
    seven,
    minus,
    eight,
    zero,
    rightBracket,
    o,
    u,
    leftBracket,
    i,
    p,
    l,
    j,
    quote,
    k,
    semicolon,
    backslash,
    comma,
    slash,
    n,
    m,
    period,
    grave,
    keypadDecimal,
    keypadMultiply,
    keypadPlus,
    keypadClear,
    keypadDivide,
    keypadEnter,
    keypadMinus,
    keypadEquals,
    keypadZero,
    keypadOne,
    keypadTwo,
    keypadThree,
    keypadFour,
    keypadFive,
    keypadSix,
    keypadSeven,
    keypadEight,
    keypadNine,
    return_,
    tab,
    space,
    delete_,
    escape,
    f17,
    f18,
    f19,
    f20,
    f5,
    f6,
    f7,
    f3,
    f8,
    f9,
    f11,
    f13,
    f16,
    f14,
    f10,
    f12,
    f15,
    help,
    home,
    pageUp,
    forwardDelete,
    f4,
    end,
    f2,
    pageDown,
    f1,
    leftArrow,
    rightArrow,
    downArrow,
    upArrow,
    yen,
    underscore,
    keypadComma,
    eisu,
    kana,
    atSign,
    caret,
    colon,
    section,
};

namespace KeyInfo {
inline constexpr int caseCount = 109;
// The case name, e.g. "keypadEnter".
QString rawValue(Key key);
// Exact, case-sensitive match of a raw value.
std::optional<Key> fromRawValue(const QString& rawValue);
// The US-layout virtual key code.
quint16 QWERTYKeyCode(Key key);
// The key of a US-layout code; codes shared by two keys give the first
// (33 leftBracket, 24 equal, 39 quote); unknown codes give none.
std::optional<Key> fromQWERTYKeyCode(int keyCode);
bool isFunctionKey(Key key);
// The key a typed character or a spelled key name stands for; the key code,
// when given, is the one that produced the character and tells keypad keys
// apart ("1" with code 83 is keypadOne).
std::optional<Key> fromCharacter(const QString& character, std::optional<int> keyCode = std::nullopt);
} // namespace KeyInfo

// The keys whose label is fixed rather than typed by the layout: return,
// arrows, function keys and the like.
namespace SpecialKey {
// The label of the special key with this code; none for any other code.
std::optional<QString> label(int keyCode);
// The key of a special key's code.
std::optional<Key> key(int keyCode);
} // namespace SpecialKey

} // namespace vantel
