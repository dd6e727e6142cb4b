#pragma once

#include "markdown/CharacterStyle.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>

namespace vantel {

enum class CharacterRuleTagType {
    open,
    close,
    metadataOpen,
    metadataClose,
    repeating,
};

struct CharacterRuleTag {
    QString tag;
    CharacterRuleTagType type = CharacterRuleTagType::open;
};

// Vocabulary of the engine that no rule uses yet.
enum class SpaceAllowed { no, bothSides, oneSide, leadingSide, trailingSide };
enum class Cancel { none, allRemaining, currentSet };

// One kind of inline markup: its tags and the styles it gives.
struct CharacterRule {
    CharacterRule(CharacterRuleTag primaryTag, QList<CharacterRuleTag> otherTags, QStringList escapeCharacters,
                  std::map<int, CharacterStyling> styles, int minTags, int maxTags, bool metadataLookup,
                  bool definesBoundary, bool shouldCancelRemainingRules, bool balancedTags);

    CharacterRuleTag primaryTag;
    QList<CharacterRuleTag> tags;
    QStringList escapeCharacters;
    std::map<int, CharacterStyling> styles;
    int minTags;
    int maxTags;
    bool metadataLookup;
    bool definesBoundary;
    bool shouldCancelRemainingRules;
    bool balancedTags;

    bool isRepeating() const { return primaryTag.type == CharacterRuleTagType::repeating; }
    std::optional<CharacterRuleTag> tagForType(CharacterRuleTagType type) const;
    QString description() const;
};

} // namespace vantel
