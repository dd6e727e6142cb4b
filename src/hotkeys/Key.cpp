#include "hotkeys/Key.h"

#include <array>

namespace vantel {

namespace {

struct KeyRow {
    Key key;
    const char* rawValue;
    quint16 code;
};

constexpr std::array<KeyRow, 109> keyTable{{
    {Key::a, "a", 0},
    {Key::s, "s", 1},
    {Key::d, "d", 2},
    {Key::f, "f", 3},
    {Key::h, "h", 4},
    {Key::g, "g", 5},
    {Key::z, "z", 6},
    {Key::x, "x", 7},
    {Key::c, "c", 8},
    {Key::v, "v", 9},
    {Key::b, "b", 11},
    {Key::q, "q", 12},
    {Key::w, "w", 13},
    {Key::e, "e", 14},
    {Key::r, "r", 15},
    {Key::y, "y", 16},
    {Key::t, "t", 17},
    {Key::one, "one", 18},
    {Key::two, "two", 19},
    {Key::three, "three", 20},
    {Key::four, "four", 21},
    {Key::six, "six", 22},
    {Key::five, "five", 23},
    {Key::equal, "equal", 24},
    {Key::nine, "nine", 25},
    {Key::seven, "seven", 26},
    {Key::minus, "minus", 27},
    {Key::eight, "eight", 28},
    {Key::zero, "zero", 29},
    {Key::rightBracket, "rightBracket", 30},
    {Key::o, "o", 31},
    {Key::u, "u", 32},
    {Key::leftBracket, "leftBracket", 33},
    {Key::i, "i", 34},
    {Key::p, "p", 35},
    {Key::l, "l", 37},
    {Key::j, "j", 38},
    {Key::quote, "quote", 39},
    {Key::k, "k", 40},
    {Key::semicolon, "semicolon", 41},
    {Key::backslash, "backslash", 42},
    {Key::comma, "comma", 43},
    {Key::slash, "slash", 44},
    {Key::n, "n", 45},
    {Key::m, "m", 46},
    {Key::period, "period", 47},
    {Key::grave, "grave", 50},
    {Key::keypadDecimal, "keypadDecimal", 65},
    {Key::keypadMultiply, "keypadMultiply", 67},
    {Key::keypadPlus, "keypadPlus", 69},
    {Key::keypadClear, "keypadClear", 71},
    {Key::keypadDivide, "keypadDivide", 75},
    {Key::keypadEnter, "keypadEnter", 76},
    {Key::keypadMinus, "keypadMinus", 78},
    {Key::keypadEquals, "keypadEquals", 81},
    {Key::keypadZero, "keypadZero", 82},
    {Key::keypadOne, "keypadOne", 83},
    {Key::keypadTwo, "keypadTwo", 84},
    {Key::keypadThree, "keypadThree", 85},
    {Key::keypadFour, "keypadFour", 86},
    {Key::keypadFive, "keypadFive", 87},
    {Key::keypadSix, "keypadSix", 88},
    {Key::keypadSeven, "keypadSeven", 89},
    {Key::keypadEight, "keypadEight", 91},
    {Key::keypadNine, "keypadNine", 92},
    {Key::return_, "return", 36},
    {Key::tab, "tab", 48},
    {Key::space, "space", 49},
    {Key::delete_, "delete", 51},
    {Key::escape, "escape", 53},
    {Key::f17, "f17", 64},
    {Key::f18, "f18", 79},
    {Key::f19, "f19", 80},
    {Key::f20, "f20", 90},
    {Key::f5, "f5", 96},
    {Key::f6, "f6", 97},
    {Key::f7, "f7", 98},
    {Key::f3, "f3", 99},
    {Key::f8, "f8", 100},
    {Key::f9, "f9", 101},
    {Key::f11, "f11", 103},
    {Key::f13, "f13", 105},
    {Key::f16, "f16", 106},
    {Key::f14, "f14", 107},
    {Key::f10, "f10", 109},
    {Key::f12, "f12", 111},
    {Key::f15, "f15", 113},
    {Key::help, "help", 114},
    {Key::home, "home", 115},
    {Key::pageUp, "pageUp", 116},
    {Key::forwardDelete, "forwardDelete", 117},
    {Key::f4, "f4", 118},
    {Key::end, "end", 119},
    {Key::f2, "f2", 120},
    {Key::pageDown, "pageDown", 121},
    {Key::f1, "f1", 122},
    {Key::leftArrow, "leftArrow", 123},
    {Key::rightArrow, "rightArrow", 124},
    {Key::downArrow, "downArrow", 125},
    {Key::upArrow, "upArrow", 126},
    {Key::yen, "yen", 93},
    {Key::underscore, "underscore", 94},
    {Key::keypadComma, "keypadComma", 95},
    {Key::eisu, "eisu", 102},
    {Key::kana, "kana", 104},
    {Key::atSign, "atSign", 33},
    {Key::caret, "caret", 24},
    {Key::colon, "colon", 39},
    {Key::section, "section", 10},
}};

} // namespace

QString KeyInfo::rawValue(Key key)
{
    return QString::fromLatin1(keyTable[static_cast<std::size_t>(key)].rawValue);
}

std::optional<Key> KeyInfo::fromRawValue(const QString& rawValue)
{
    for (const KeyRow& row : keyTable)
        if (rawValue == QLatin1String(row.rawValue))
            return row.key;
    return std::nullopt;
}

quint16 KeyInfo::QWERTYKeyCode(Key key)
{
    return keyTable[static_cast<std::size_t>(key)].code;
}

std::optional<Key> KeyInfo::fromQWERTYKeyCode(int keyCode)
{
    // The table lists leftBracket, equal and quote before atSign, caret and
    // colon, so the first match is the one wanted.
    for (const KeyRow& row : keyTable)
        if (row.code == keyCode)
            return row.key;
    return std::nullopt;
}

bool KeyInfo::isFunctionKey(Key key)
{
    switch (key) {
    case Key::f17:
    case Key::f18:
    case Key::f19:
    case Key::f20:
    case Key::f5:
    case Key::f6:
    case Key::f7:
    case Key::f3:
    case Key::f8:
    case Key::f9:
    case Key::f11:
    case Key::f13:
    case Key::f16:
    case Key::f14:
    case Key::f10:
    case Key::f12:
    case Key::f15:
    case Key::f4:
    case Key::f2:
    case Key::f1:
        return true;
    default:
        return false;
    }
}

} // namespace vantel
