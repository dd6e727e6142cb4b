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

namespace vantel {

namespace {

struct SpecialRow {
    int code;
    Key key;
    const char16_t* label;
};

constexpr std::array<SpecialRow, 39> specialTable{{
    {36, Key::return_, u"\u21A9"},
    {48, Key::tab, u"\u21E5"},
    {49, Key::space, u"Space"},
    {51, Key::delete_, u"\u232B"},
    {53, Key::escape, u"\u238B"},
    {64, Key::f17, u"F17"},
    {79, Key::f18, u"F18"},
    {80, Key::f19, u"F19"},
    {90, Key::f20, u"F20"},
    {96, Key::f5, u"F5"},
    {97, Key::f6, u"F6"},
    {98, Key::f7, u"F7"},
    {99, Key::f3, u"F3"},
    {100, Key::f8, u"F8"},
    {101, Key::f9, u"F9"},
    {103, Key::f11, u"F11"},
    {105, Key::f13, u"F13"},
    {106, Key::f16, u"F16"},
    {107, Key::f14, u"F14"},
    {109, Key::f10, u"F10"},
    {111, Key::f12, u"F12"},
    {113, Key::f15, u"F15"},
    {114, Key::help, u"?\u20DD"},
    {115, Key::home, u"\u2196"},
    {116, Key::pageUp, u"\u21DE"},
    {117, Key::forwardDelete, u"\u2326"},
    {118, Key::f4, u"F4"},
    {119, Key::end, u"\u2198"},
    {120, Key::f2, u"F2"},
    {121, Key::pageDown, u"\u21DF"},
    {122, Key::f1, u"F1"},
    {123, Key::leftArrow, u"\u2190"},
    {124, Key::rightArrow, u"\u2192"},
    {125, Key::downArrow, u"\u2193"},
    {126, Key::upArrow, u"\u2191"},
    {102, Key::eisu, u"\u82F1\u6570"},
    {104, Key::kana, u"\u304B\u306A"},
    {71, Key::keypadClear, u"\u2327"},
    {76, Key::keypadEnter, u"\u2305"},
}};

const SpecialRow* specialRow(int keyCode)
{
    for (const SpecialRow& row : specialTable)
        if (row.code == keyCode)
            return &row;
    return nullptr;
}

QString specialLabelOf(Key key)
{
    for (const SpecialRow& row : specialTable)
        if (row.key == key)
            return QString::fromUtf16(row.label);
    return {};
}

} // namespace

std::optional<QString> SpecialKey::label(int keyCode)
{
    if (const SpecialRow* row = specialRow(keyCode))
        return QString::fromUtf16(row->label);
    return std::nullopt;
}

std::optional<Key> SpecialKey::key(int keyCode)
{
    if (const SpecialRow* row = specialRow(keyCode))
        return row->key;
    return std::nullopt;
}

std::optional<Key> KeyInfo::fromCharacter(const QString& character, std::optional<int> keyCode)
{
    const QString text = character.toLower();
    const auto withCode = [&](int code) { return keyCode && *keyCode == code; };
    const auto unlessCode = [&](int code) { return !withCode(code); };
    const auto is = [&](const char* a, const char* b = nullptr) {
        return text == QLatin1String(a) || (b && text == QLatin1String(b));
    };

    if (text.size() == 1 && text[0] >= u'a' && text[0] <= u'z')
        return fromRawValue(text);

    struct Digit {
        const char* character;
        const char* name;
        Key key;
        int keypadCode;
        Key keypadKey;
    };
    static constexpr Digit digits[] = {
        {"1", "one", Key::one, 83, Key::keypadOne},       {"2", "two", Key::two, 84, Key::keypadTwo},
        {"3", "three", Key::three, 85, Key::keypadThree}, {"4", "four", Key::four, 86, Key::keypadFour},
        {"5", "five", Key::five, 87, Key::keypadFive},    {"6", "six", Key::six, 88, Key::keypadSix},
        {"7", "seven", Key::seven, 89, Key::keypadSeven}, {"8", "eight", Key::eight, 91, Key::keypadEight},
        {"9", "nine", Key::nine, 92, Key::keypadNine},    {"0", "zero", Key::zero, 82, Key::keypadZero},
    };
    for (const Digit& digit : digits) {
        if (is(digit.character, digit.name) && unlessCode(digit.keypadCode))
            return digit.key;
        if (is(digit.character) && withCode(digit.keypadCode))
            return digit.keypadKey;
    }
    if (is("=", "equal") && unlessCode(81))
        return Key::equal;
    if (is("-", "minus") && unlessCode(78))
        return Key::minus;
    if (is("]", "rightbracket"))
        return Key::rightBracket;
    if (is("[", "leftbracket"))
        return Key::leftBracket;
    if (is("'", "quote"))
        return Key::quote;
    if (is(";", "semicolon"))
        return Key::semicolon;
    if (is("\\", "backslash"))
        return Key::backslash;
    if (is("comma") || (is(",") && unlessCode(95)))
        return Key::comma;
    if (is("/", "slash") && unlessCode(75))
        return Key::slash;
    if (is("period") || (is(".") && unlessCode(65)))
        return Key::period;
    if (is("`", "grave"))
        return Key::grave;
    if (is("keypaddecimal") || (is(".") && withCode(65)))
        return Key::keypadDecimal;
    if (is("keypadmultiply", "*"))
        return Key::keypadMultiply;
    if (is("keypadplus", "+"))
        return Key::keypadPlus;
    if (is("keypadclear") || text == specialLabelOf(Key::keypadClear).toLower())
        return Key::keypadClear;
    if (is("keypaddivide") || (is("/") && withCode(75)))
        return Key::keypadDivide;
    if (is("keypadenter") || text == specialLabelOf(Key::keypadEnter).toLower())
        return Key::keypadEnter;
    if (is("keypadminus") || (is("-") && withCode(78)))
        return Key::keypadMinus;
    if (is("keypadequals") || (is("=") && withCode(81)))
        return Key::keypadEquals;
    if (is("keypad0", "keypadzero"))
        return Key::keypadZero;
    static constexpr const char* keypadNames[] = {"one", "two", "three", "four", "five", "six", "seven", "eight", "nine"};
    static constexpr Key keypadKeys[] = {Key::keypadOne, Key::keypadTwo,   Key::keypadThree,
                                         Key::keypadFour, Key::keypadFive, Key::keypadSix,
                                         Key::keypadSeven, Key::keypadEight, Key::keypadNine};
    for (int i = 0; i < 9; ++i) {
        if (text == QStringLiteral("keypad%1").arg(i + 1) || text == QLatin1String("keypad") + QLatin1String(keypadNames[i]))
            return keypadKeys[i];
    }
    if (is("return", "\r") || is("\n") || text == specialLabelOf(Key::return_).toLower())
        return Key::return_;
    static constexpr Key named[] = {Key::tab,      Key::space,         Key::delete_,   Key::escape,
                                    Key::help,     Key::home,          Key::pageUp,    Key::forwardDelete,
                                    Key::end,      Key::pageDown,      Key::leftArrow, Key::rightArrow,
                                    Key::downArrow, Key::upArrow};
    for (Key key : named) {
        if (text == rawValue(key).toLower() || text == specialLabelOf(key).toLower())
            return key;
    }
    for (int n = 1; n <= 20; ++n) {
        if (text == QStringLiteral("f%1").arg(n))
            return fromRawValue(text);
    }
    if (text == QStringLiteral("\u00A5"))
        return Key::yen;
    if (is("_"))
        return Key::underscore;
    if (is(",") && withCode(95))
        return Key::keypadComma;
    if (text == QStringLiteral("\u82F1\u6570"))
        return Key::eisu;
    if (text == QStringLiteral("\u304B\u306A"))
        return Key::kana;
    if (is("@"))
        return Key::atSign;
    if (is("^"))
        return Key::caret;
    if (is(":"))
        return Key::colon;
    if (text == QStringLiteral("\u00A7"))
        return Key::section;
    return std::nullopt;
}

} // namespace vantel
