#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>

#include <optional>

namespace vantel::platform {

// The keys that one kind of object answers, numbered once: a predicate looks
// a key up here when it first meets that kind of object and reads by number
// from then on.
class KeyTable {
public:
    explicit KeyTable(const QStringList& keys)
    {
        for (qsizetype i = 0; i < keys.size(); ++i)
            indices_.insert(keys.at(i), int(i));
    }
    // -1 for a key the objects don't answer.
    int indexOf(const QString& key) const { return indices_.value(key, -1); }

private:
    QHash<QString, int> indices_;
};

// What a predicate reads its key paths from (entries, tags). Answers a bool,
// QString, QStringList, number or QDateTime; an invalid QVariant is nil.
// Predicates may be evaluated on any thread, so implementations must be safe
// to read concurrently.
//
// An object with a key table also answers by number, and may answer some
// questions without building a value: a bool key as a bool, whether a text
// equals another, and a text test on the case-folded copy it keeps of a text
// (or list of texts). Each answer
// must be the one the predicate would reach from valueForKey.
class KeyValueAccessor {
public:
    enum class TextQuery {
        // CONTAINS: a text contains the needle (an empty needle is found
        // nowhere); a list holds an element equal to the needle.
        Contains,
        // ANY ... CONTAINS: the text, or some element of a list, contains the
        // needle (never an empty one).
        AnyContains,
    };

    virtual ~KeyValueAccessor() = default;
    virtual QVariant valueForKey(const QString& key) const = 0;

    virtual const KeyTable* keyTable() const { return nullptr; }
    virtual QVariant valueForKeyIndex(int index) const
    {
        Q_UNUSED(index);
        return {};
    }
    // None when the key is no bool key of the object.
    virtual std::optional<bool> boolForKeyIndex(int index) const
    {
        Q_UNUSED(index);
        return std::nullopt;
    }
    // Whether a text key's value equals `text` exactly. None when the key is
    // no text key the object answers this way.
    virtual std::optional<bool> textEqualsForKeyIndex(int index, QStringView text) const
    {
        Q_UNUSED(index);
        Q_UNUSED(text);
        return std::nullopt;
    }
    // `foldedNeedle` is case-folded already. None when the object keeps no
    // case-folded copy for the key.
    virtual std::optional<bool> testCaseFoldedText(int index, QStringView foldedNeedle, TextQuery query) const
    {
        Q_UNUSED(index);
        Q_UNUSED(foldedNeedle);
        Q_UNUSED(query);
        return std::nullopt;
    }
};

} // namespace vantel::platform
