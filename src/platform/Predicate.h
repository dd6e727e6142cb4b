#pragma once

#include "platform/KeyValueAccessor.h"

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace vantel::platform {

// One side of a comparison.
struct PredicateExpression {
    enum class Kind { Constant, KeyPath, Self };
    Kind kind = Kind::Constant;
    QVariant constant;   // Kind::Constant; invalid = nil
    QString keyPath;     // Kind::KeyPath, dot separated

    static PredicateExpression constantValue(const QVariant& value) { return {Kind::Constant, value, {}}; }
    static PredicateExpression key(const QString& path) { return {Kind::KeyPath, {}, path}; }
    static PredicateExpression self() { return {Kind::Self, {}, {}}; }
};

struct PredicateOptions {
    bool caseInsensitive = false;       // [c]
    bool diacriticInsensitive = false;  // [d]
};

// A condition over key paths of an object, built from a format string such as
// "tags contains[c] %@ AND isVisible = true" or from sub-predicates.
// Immutable once built, so one instance may be evaluated on many threads.
//
// Built once, evaluated often: key paths are split and constant texts
// case-folded when the predicate is made; the first object with a key table
// fixes each comparison's key number, and from then on objects of that kind
// are read by number, bools and case-folded texts without a QVariant.
class Predicate {
public:
    enum class Kind { Constant, Comparison, And, Or, Not };
    enum class Operator { EqualTo, NotEqualTo, LessThan, LessThanOrEqualTo, GreaterThan, GreaterThanOrEqualTo,
                          Contains, BeginsWith, EndsWith, Matches };
    enum class Modifier { Direct, Any };

    using Expression = PredicateExpression;
    using Options = PredicateOptions;

    // Parses a format string; nullptr and a message in `error` when it is
    // malformed or its arguments don't fit it.
    static std::shared_ptr<const Predicate> fromFormat(const QString& format, const QVariantList& arguments = {},
                                                       QString* error = nullptr);
    static std::shared_ptr<const Predicate> andPredicate(const QList<std::shared_ptr<const Predicate>>& subpredicates);
    static std::shared_ptr<const Predicate> orPredicate(const QList<std::shared_ptr<const Predicate>>& subpredicates);
    static std::shared_ptr<const Predicate> notPredicate(const std::shared_ptr<const Predicate>& subpredicate);
    static std::shared_ptr<const Predicate> value(bool truth);
    // nullptr and a message when `op` is Matches and the right side is a
    // constant that is no valid regular expression.
    static std::shared_ptr<const Predicate> comparison(const Expression& left, Operator op, const Expression& right,
                                                       Modifier modifier = Modifier::Direct, Options options = {},
                                                       QString* error = nullptr);

    bool evaluate(const KeyValueAccessor& object) const;
    // Key paths look into `selfValue` when it is a map; SELF is the value itself.
    bool evaluate(const QVariant& selfValue) const;

    // Readable text in the usual predicate notation, e.g.
    // isVisible == 1 AND isReachable == 1
    QString description() const;

    Kind kind() const { return kind_; }
    const QList<std::shared_ptr<const Predicate>>& subpredicates() const { return subpredicates_; }

private:
    struct Context {
        std::function<QVariant(const QString&)> valueForKey;
        QVariant self;
    };

    enum class Shortcut { None, FoldedText, Bool, Text };
    struct Resolution {
        const KeyTable* table;
        int index;
    };

    Predicate() = default;
    void prepare();
    bool evaluateIn(const Context& context) const;
    bool evaluateOn(const KeyValueAccessor& object, const KeyTable& table) const;
    bool compareResolved(const QVariant& left, const QVariant& right) const;
    int leftKeyIndex(const KeyTable& table) const;
    static QVariant followPath(QVariant current, const QStringList& parts);
    bool compareValues(const QVariant& left, const QVariant& right) const;
    bool matches(const QVariant& left, const QVariant& right) const;
    QVariant resolve(const Expression& expression, const Context& context) const;

    Kind kind_ = Kind::Constant;
    bool truth_ = false;
    QList<std::shared_ptr<const Predicate>> subpredicates_;
    Expression left_;
    Expression right_;
    Operator operator_ = Operator::EqualTo;
    Modifier modifier_ = Modifier::Direct;
    Options options_;
    std::optional<QRegularExpression> regex_;   // compiled once for a constant pattern

    // Worked out once when the comparison is made.
    QStringList leftParts_;
    QStringList rightParts_;
    std::optional<QString> normalizedRight_;   // a constant text, normalised by the options
    Shortcut shortcut_ = Shortcut::None;
    qlonglong boolConstant_ = 0;
    mutable std::atomic<Resolution*> resolution_{nullptr};

public:
    ~Predicate();
};

} // namespace vantel::platform
