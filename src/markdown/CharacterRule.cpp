#include "markdown/CharacterRule.h"

#include <algorithm>

namespace vantel {

CharacterRule::CharacterRule(CharacterRuleTag primaryTag, QList<CharacterRuleTag> otherTags,
                             QStringList escapeCharacters, std::map<int, CharacterStyling> styles, int minTags,
                             int maxTags, bool metadataLookup, bool definesBoundary,
                             bool shouldCancelRemainingRules, bool balancedTags)
    : primaryTag(std::move(primaryTag))
    , tags(std::move(otherTags))
    , escapeCharacters(std::move(escapeCharacters))
    , styles(std::move(styles))
    , minTags(std::min(minTags, maxTags))
    , maxTags(std::max(minTags, maxTags))
    , metadataLookup(metadataLookup)
    , definesBoundary(definesBoundary)
    , shouldCancelRemainingRules(shouldCancelRemainingRules)
    , balancedTags(balancedTags)
{
}

std::optional<CharacterRuleTag> CharacterRule::tagForType(CharacterRuleTagType type) const
{
    for (const CharacterRuleTag& tag : tags) {
        if (tag.type == type)
            return tag;
    }
    return std::nullopt;
}

QString CharacterRule::description() const
{
    QStringList entries;
    for (const auto& [count, style] : styles)
        entries.append(QStringLiteral("%1: %2").arg(count).arg(style.description()));
    return QStringLiteral("Character Rule with Open tag: ") + primaryTag.tag + QStringLiteral(" and current styles : [")
        + entries.join(QStringLiteral(", ")) + QStringLiteral("] ");
}

} // namespace vantel
