#include "datastore/HotkeyCharacters.h"

#include "hotkeys/KeyCombo.h"

#include <unordered_map>

#include <mutex>

namespace vantel {

namespace {

std::mutex providerMutex;
std::function<QString(const KeyCombo&)>& provider()
{
    static std::function<QString(const KeyCombo&)> instance;
    return instance;
}

struct Typed {
    QChar plain;
    QChar shifted;
};

const std::unordered_map<Key, Typed>& usLayout()
{
    static const std::unordered_map<Key, Typed> table = [] {
        std::unordered_map<Key, Typed> t;
        const char* letters = "abcdefghijklmnopqrstuvwxyz";
        for (const char* c = letters; *c; ++c) {
            if (const auto key = KeyInfo::fromRawValue(QString(QLatin1Char(*c))))
                t.emplace(*key, Typed{QLatin1Char(*c), QLatin1Char(char(*c - 'a' + 'A'))});
        }
        const std::pair<Key, Typed> others[] = {
            {Key::one, {u'1', u'!'}},         {Key::two, {u'2', u'@'}},       {Key::three, {u'3', u'#'}},
            {Key::four, {u'4', u'$'}},        {Key::five, {u'5', u'%'}},      {Key::six, {u'6', u'^'}},
            {Key::seven, {u'7', u'&'}},       {Key::eight, {u'8', u'*'}},     {Key::nine, {u'9', u'('}},
            {Key::zero, {u'0', u')'}},        {Key::minus, {u'-', u'_'}},     {Key::equal, {u'=', u'+'}},
            {Key::leftBracket, {u'[', u'{'}}, {Key::rightBracket, {u']', u'}'}}, {Key::backslash, {u'\\', u'|'}},
            {Key::semicolon, {u';', u':'}},   {Key::quote, {u'\'', u'"'}},    {Key::comma, {u',', u'<'}},
            {Key::period, {u'.', u'>'}},      {Key::slash, {u'/', u'?'}},     {Key::grave, {u'`', u'~'}},
            {Key::space, {u' ', u' '}},
            {Key::keypadZero, {u'0', u'0'}},  {Key::keypadOne, {u'1', u'1'}}, {Key::keypadTwo, {u'2', u'2'}},
            {Key::keypadThree, {u'3', u'3'}}, {Key::keypadFour, {u'4', u'4'}}, {Key::keypadFive, {u'5', u'5'}},
            {Key::keypadSix, {u'6', u'6'}},   {Key::keypadSeven, {u'7', u'7'}}, {Key::keypadEight, {u'8', u'8'}},
            {Key::keypadNine, {u'9', u'9'}},  {Key::keypadDecimal, {u'.', u'.'}}, {Key::keypadMultiply, {u'*', u'*'}},
            {Key::keypadPlus, {u'+', u'+'}},  {Key::keypadDivide, {u'/', u'/'}}, {Key::keypadMinus, {u'-', u'-'}},
            {Key::keypadEquals, {u'=', u'='}},
        };
        for (const auto& [key, typed] : others)
            t.emplace(key, typed);
        return t;
    }();
    return table;
}

} // namespace

QString usLayoutCharacters(const KeyCombo& combo)
{
    if (combo.doubledModifiers())
        return {};
    const auto it = usLayout().find(combo.key());
    if (it == usLayout().end())
        return {};
    const bool shift = (combo.modifiers() & KeyCombo::shiftKey) != 0;
    return QString(shift ? it->second.shifted : it->second.plain);
}

QString hotkeyCharacters(const KeyCombo& combo)
{
    std::function<QString(const KeyCombo&)> installed;
    {
        std::lock_guard lock(providerMutex);
        installed = provider();
    }
    if (combo.doubledModifiers())
        return {};
    return installed ? installed(combo) : usLayoutCharacters(combo);
}

void setHotkeyCharactersProvider(std::function<QString(const KeyCombo&)> newProvider)
{
    std::lock_guard lock(providerMutex);
    provider() = std::move(newProvider);
}

} // namespace vantel
