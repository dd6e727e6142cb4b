#pragma once

#include <QString>

#include <optional>

namespace vantel {

// The inline styles that the character rules hand out.
enum class CharacterStyle {
    none,
    bold,
    italic,
    code,
    link,
    image,
    referencedLink,
    referencedImage,
    strikethrough,
};

QString characterStyleName(CharacterStyle style);

// A style as the tokeniser carries it: one of our own `CharacterStyle` cases,
// or a style of another kind (named), which rules built elsewhere may use.
class CharacterStyling {
public:
    CharacterStyling(CharacterStyle style) // NOLINT: implicit on purpose
        : m_style(style)
    {
    }

    static CharacterStyling foreign(const QString& kind) { return CharacterStyling(kind); }

    // The case when this is one of our own styles, none for a foreign one.
    std::optional<CharacterStyle> characterStyle() const { return m_style; }

    // Our styles match by case; a foreign style never matches one of ours.
    bool sameStyle(const CharacterStyling& other) const
    {
        if (m_style || other.m_style)
            return m_style == other.m_style;
        return m_foreignKind == other.m_foreignKind;
    }

    QString description() const { return m_style ? characterStyleName(*m_style) : m_foreignKind; }

private:
    explicit CharacterStyling(const QString& kind)
        : m_foreignKind(kind)
    {
    }

    std::optional<CharacterStyle> m_style;
    QString m_foreignKind;
};

inline QString characterStyleName(CharacterStyle style)
{
    switch (style) {
    case CharacterStyle::none: return QStringLiteral("none");
    case CharacterStyle::bold: return QStringLiteral("bold");
    case CharacterStyle::italic: return QStringLiteral("italic");
    case CharacterStyle::code: return QStringLiteral("code");
    case CharacterStyle::link: return QStringLiteral("link");
    case CharacterStyle::image: return QStringLiteral("image");
    case CharacterStyle::referencedLink: return QStringLiteral("referencedLink");
    case CharacterStyle::referencedImage: return QStringLiteral("referencedImage");
    case CharacterStyle::strikethrough: return QStringLiteral("strikethrough");
    }
    return QString();
}

} // namespace vantel
