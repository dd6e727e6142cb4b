#include "config/HotkeyText.h"

#include <QStringList>

namespace vantel::HotkeyText {

namespace {

QString keyText(Key key)
{
    QString name = KeyInfo::rawValue(key);
    static const QStringList digits{QStringLiteral("zero"), QStringLiteral("one"), QStringLiteral("two"),
                                    QStringLiteral("three"), QStringLiteral("four"), QStringLiteral("five"),
                                    QStringLiteral("six"), QStringLiteral("seven"), QStringLiteral("eight"),
                                    QStringLiteral("nine")};
    if (const auto digit = digits.indexOf(name); digit >= 0)
        return QString::number(digit);
    if (name.endsWith(QLatin1Char('_')))
        name.chop(1);
    return name.toUpper();
}

} // namespace

QString displayString(const KeyCombo& combo)
{
    // Stored Carbon bits, shown the Linux way: command is Ctrl, option Alt,
    // control Super.
    QStringList modifiers;
    const qint64 bits = combo.modifiers();
    if (bits & KeyCombo::controlKey)
        modifiers.append(QStringLiteral("Super"));
    if (bits & KeyCombo::optionKey)
        modifiers.append(QStringLiteral("Alt"));
    if (bits & KeyCombo::shiftKey)
        modifiers.append(QStringLiteral("Shift"));
    if (bits & KeyCombo::commandKey)
        modifiers.append(QStringLiteral("Ctrl"));
    const QString tail = combo.doubledModifiers() ? QStringLiteral("double tap") : keyText(combo.key());
    return modifiers.join(QLatin1Char('+')) + QLatin1Char(' ') + tail;
}

} // namespace vantel::HotkeyText
