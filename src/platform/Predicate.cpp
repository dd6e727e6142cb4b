#include "platform/Predicate.h"

#include "platform/PredicateParser.h"

#include <QDate>
#include <QDateTime>
#include <QMetaType>
#include <QSequentialIterable>
#include <QStringList>
#include <QVariantHash>
#include <QVariantMap>

#include <cmath>

namespace vantel::platform {

namespace {

using Options = Predicate::Options;

bool isNil(const QVariant& v)
{
    return !v.isValid() || v.typeId() == QMetaType::Nullptr;
}

bool isNumber(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Bool: case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong:
    case QMetaType::ULongLong: case QMetaType::Double: case QMetaType::Float: case QMetaType::Short:
    case QMetaType::UShort: case QMetaType::Long: case QMetaType::ULong: case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isIntegral(const QVariant& v)
{
    return isNumber(v) && v.typeId() != QMetaType::Double && v.typeId() != QMetaType::Float
           && v.typeId() != QMetaType::ULongLong && v.typeId() != QMetaType::ULong;
}

bool isString(const QVariant& v)
{
    return v.typeId() == QMetaType::QString;
}

bool isDate(const QVariant& v)
{
    return v.typeId() == QMetaType::QDateTime || v.typeId() == QMetaType::QDate;
}

bool isList(const QVariant& v)
{
    if (v.typeId() == QMetaType::QStringList || v.typeId() == QMetaType::QVariantList)
        return true;
    if (isNil(v) || isString(v) || v.typeId() == QMetaType::QByteArray)
        return false;
    return QMetaType::canView(v.metaType(), QMetaType::fromType<QSequentialIterable>());
}

QVariantList toList(const QVariant& v)
{
    if (v.typeId() == QMetaType::QVariantList)
        return v.toList();
    if (v.typeId() == QMetaType::QStringList) {
        QVariantList out;
        for (const QString& s : v.toStringList())
            out.append(s);
        return out;
    }
    QVariantList out;
    const auto iterable = v.value<QSequentialIterable>();
    for (const QVariant& element : iterable)
        out.append(element);
    return out;
}

QDateTime toDateTime(const QVariant& v)
{
    return v.typeId() == QMetaType::QDate ? v.toDate().startOfDay() : v.toDateTime();
}

QString normalized(const QString& text, Options options)
{
    QString out = text;
    if (options.diacriticInsensitive) {
        const QString decomposed = out.normalized(QString::NormalizationForm_D);
        out.clear();
        for (const QChar c : decomposed) {
            if (!c.isMark())
                out += c;
        }
    }
    if (options.caseInsensitive)
        out = out.toCaseFolded();
    return out;
}

std::optional<int> order(const QVariant& a, const QVariant& b, Options options)
{
    if (isNumber(a) && isNumber(b)) {
        if (isIntegral(a) && isIntegral(b)) {
            const qlonglong x = a.toLongLong(), y = b.toLongLong();
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        const double x = a.toDouble(), y = b.toDouble();
        if (std::isnan(x) || std::isnan(y))
            return std::nullopt;
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    if (isString(a) && isString(b)) {
        const int c = normalized(a.toString(), options).compare(normalized(b.toString(), options));
        return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
    if (isDate(a) && isDate(b)) {
        const QDateTime x = toDateTime(a), y = toDateTime(b);
        if (!x.isValid() || !y.isValid())
            return std::nullopt;
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    return std::nullopt;
}

bool equal(const QVariant& a, const QVariant& b, Options options)
{
    if (isNil(a) || isNil(b))
        return isNil(a) && isNil(b);
    if (isList(a) && isList(b)) {
        const QVariantList x = toList(a), y = toList(b);
        if (x.size() != y.size())
            return false;
        for (qsizetype i = 0; i < x.size(); ++i) {
            if (!equal(x[i], y[i], options))
                return false;
        }
        return true;
    }
    if ((isNumber(a) && isNumber(b)) || (isString(a) && isString(b)) || (isDate(a) && isDate(b))) {
        const auto c = order(a, b, options);
        return c && *c == 0;
    }
    if (isNumber(a) || isNumber(b) || isString(a) || isString(b) || isDate(a) || isDate(b))
        return false;   // a string is never equal to a number, as with the platform's objects
    return a == b;
}

QString operatorText(Predicate::Operator op)
{
    switch (op) {
    case Predicate::Operator::EqualTo: return QStringLiteral("==");
    case Predicate::Operator::NotEqualTo: return QStringLiteral("!=");
    case Predicate::Operator::LessThan: return QStringLiteral("<");
    case Predicate::Operator::LessThanOrEqualTo: return QStringLiteral("<=");
    case Predicate::Operator::GreaterThan: return QStringLiteral(">");
    case Predicate::Operator::GreaterThanOrEqualTo: return QStringLiteral(">=");
    case Predicate::Operator::Contains: return QStringLiteral("CONTAINS");
    case Predicate::Operator::BeginsWith: return QStringLiteral("BEGINSWITH");
    case Predicate::Operator::EndsWith: return QStringLiteral("ENDSWITH");
    case Predicate::Operator::Matches: return QStringLiteral("MATCHES");
    }
    return {};
}

QString quoted(const QString& text)
{
    QString out = text;
    out.replace(u'\\', QLatin1String("\\\\")).replace(u'"', QLatin1String("\\\""));
    return u'"' + out + u'"';
}

QString valueText(const QVariant& v)
{
    if (isNil(v))
        return QStringLiteral("nil");
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    if (isNumber(v))
        return v.toString();
    if (isString(v))
        return quoted(v.toString());
    if (isDate(v))
        return QStringLiteral("CAST(%1, \"NSDate\")").arg(quoted(toDateTime(v).toString(Qt::ISODateWithMs)));
    if (isList(v)) {
        QStringList parts;
        for (const QVariant& element : toList(v))
            parts.append(valueText(element));
        return u'{' + parts.join(QLatin1String(", ")) + u'}';
    }
    const QString text = v.toString();
    return text.isEmpty() ? QString::fromLatin1(v.typeName()) : quoted(text);
}

QString expressionText(const Predicate::Expression& e)
{
    switch (e.kind) {
    case Predicate::Expression::Kind::Constant: return valueText(e.constant);
    case Predicate::Expression::Kind::KeyPath: return e.keyPath;
    case Predicate::Expression::Kind::Self: return QStringLiteral("SELF");
    }
    return {};
}

// A full-string match; the dot stops at every line terminator, as with ICU.
std::optional<QRegularExpression> compileFullMatch(const QString& pattern, Options options)
{
    QRegularExpression::PatternOptions flags = QRegularExpression::UseUnicodePropertiesOption;
    if (options.caseInsensitive)
        flags |= QRegularExpression::CaseInsensitiveOption;
    // A pattern that is no expression on its own (say "a)|(?:") could close
    // the anchoring group early and match far more than the whole string.
    if (!QRegularExpression(pattern, flags).isValid())
        return std::nullopt;
    QRegularExpression regex(QStringLiteral("(*ANY)\\A(?:") + pattern + QStringLiteral(")\\z"), flags);
    if (!regex.isValid())
        return std::nullopt;
    return regex;
}

QVariant lookup(const QVariant& container, const QString& key)
{
    if (container.typeId() == QMetaType::QVariantMap)
        return container.toMap().value(key);
    if (container.typeId() == QMetaType::QVariantHash)
        return container.toHash().value(key);
    return {};
}

} // namespace

std::shared_ptr<const Predicate> Predicate::fromFormat(const QString& format, const QVariantList& arguments, QString* error)
{
    PredicateParser parser(format, arguments);
    auto predicate = parser.parse();
    if (error)
        *error = predicate ? QString() : parser.error();
    return predicate;
}

std::shared_ptr<const Predicate> Predicate::value(bool truth)
{
    auto p = std::shared_ptr<Predicate>(new Predicate);
    p->kind_ = Kind::Constant;
    p->truth_ = truth;
    return p;
}

// A missing sub-predicate (say, from a format that failed to parse) counts
// as FALSEPREDICATE, so a broken filter selects nothing instead of crashing.
std::shared_ptr<const Predicate> Predicate::andPredicate(const QList<std::shared_ptr<const Predicate>>& subpredicates)
{
    auto p = std::shared_ptr<Predicate>(new Predicate);
    p->kind_ = Kind::And;
    for (const auto& sub : subpredicates)
        p->subpredicates_.append(sub ? sub : value(false));
    return p;
}

std::shared_ptr<const Predicate> Predicate::orPredicate(const QList<std::shared_ptr<const Predicate>>& subpredicates)
{
    auto p = std::shared_ptr<Predicate>(new Predicate);
    p->kind_ = Kind::Or;
    for (const auto& sub : subpredicates)
        p->subpredicates_.append(sub ? sub : value(false));
    return p;
}

std::shared_ptr<const Predicate> Predicate::notPredicate(const std::shared_ptr<const Predicate>& subpredicate)
{
    if (!subpredicate)
        return value(false);
    auto p = std::shared_ptr<Predicate>(new Predicate);
    p->kind_ = Kind::Not;
    p->subpredicates_.append(subpredicate);
    return p;
}

std::shared_ptr<const Predicate> Predicate::comparison(const Expression& left, Operator op, const Expression& right,
                                                       Modifier modifier, Options options, QString* error)
{
    auto p = std::shared_ptr<Predicate>(new Predicate);
    p->kind_ = Kind::Comparison;
    p->left_ = left;
    p->right_ = right;
    p->operator_ = op;
    p->modifier_ = modifier;
    p->options_ = options;
    if (op == Operator::Matches && right.kind == Expression::Kind::Constant && isString(right.constant)) {
        p->regex_ = compileFullMatch(right.constant.toString(), options);
        if (!p->regex_) {
            if (error)
                *error = QStringLiteral("invalid regular expression %1").arg(quoted(right.constant.toString()));
            return nullptr;
        }
    }
    p->prepare();
    if (error)
        error->clear();
    return p;
}

Predicate::~Predicate()
{
    delete resolution_.load();
}

void Predicate::prepare()
{
    if (left_.kind == Expression::Kind::KeyPath)
        leftParts_ = left_.keyPath.split(u'.');
    if (right_.kind == Expression::Kind::KeyPath)
        rightParts_ = right_.keyPath.split(u'.');
    if (right_.kind == Expression::Kind::Constant && isString(right_.constant))
        normalizedRight_ = normalized(right_.constant.toString(), options_);

    const bool singleKey = leftParts_.size() == 1;
    if (singleKey && operator_ == Operator::Contains && normalizedRight_ && options_.caseInsensitive
        && !options_.diacriticInsensitive) {
        shortcut_ = Shortcut::FoldedText;
    } else if (singleKey && modifier_ == Modifier::Direct
               && (operator_ == Operator::EqualTo || operator_ == Operator::NotEqualTo)
               && right_.kind == Expression::Kind::Constant
               && (right_.constant.typeId() == QMetaType::Bool || right_.constant.typeId() == QMetaType::Int
                   || right_.constant.typeId() == QMetaType::LongLong)) {
        shortcut_ = Shortcut::Bool;
        boolConstant_ = right_.constant.toLongLong();
    } else if (singleKey && modifier_ == Modifier::Direct
               && (operator_ == Operator::EqualTo || operator_ == Operator::NotEqualTo) && normalizedRight_
               && !options_.caseInsensitive && !options_.diacriticInsensitive) {
        shortcut_ = Shortcut::Text;
    }
}

int Predicate::leftKeyIndex(const KeyTable& table) const
{
    const Resolution* resolution = resolution_.load(std::memory_order_acquire);
    if (!resolution) {
        auto* fresh = new Resolution{&table, table.indexOf(leftParts_.front())};
        Resolution* expected = nullptr;
        if (resolution_.compare_exchange_strong(expected, fresh, std::memory_order_acq_rel)) {
            resolution = fresh;
        } else {
            delete fresh;
            resolution = expected;
        }
    }
    // Objects of a second kind are looked up by name each time.
    return resolution->table == &table ? resolution->index : table.indexOf(leftParts_.front());
}

bool Predicate::evaluate(const KeyValueAccessor& object) const
{
    if (const KeyTable* table = object.keyTable())
        return evaluateOn(object, *table);
    Context context;
    context.valueForKey = [&object](const QString& key) { return object.valueForKey(key); };
    return evaluateIn(context);
}

bool Predicate::evaluate(const QVariant& selfValue) const
{
    Context context;
    context.valueForKey = [&selfValue](const QString& key) { return lookup(selfValue, key); };
    context.self = selfValue;
    return evaluateIn(context);
}

QVariant Predicate::followPath(QVariant current, const QStringList& parts)
{
    for (qsizetype i = 1; i < parts.size() && !isNil(current); ++i)
        current = lookup(current, parts[i]);
    return current;
}

QVariant Predicate::resolve(const Expression& expression, const Context& context) const
{
    switch (expression.kind) {
    case Expression::Kind::Constant:
        return expression.constant;
    case Expression::Kind::Self:
        return context.self;
    case Expression::Kind::KeyPath: {
        const QStringList& parts = &expression == &left_ ? leftParts_ : rightParts_;
        return followPath(context.valueForKey(parts.front()), parts);
    }
    }
    return {};
}

bool Predicate::matches(const QVariant& left, const QVariant& right) const
{
    if (!isString(left))
        return false;
    if (regex_)
        return regex_->match(left.toString()).hasMatch();
    if (!isString(right))
        return false;
    const auto regex = compileFullMatch(right.toString(), options_);
    return regex && regex->match(left.toString()).hasMatch();
}

bool Predicate::compareValues(const QVariant& left, const QVariant& right) const
{
    switch (operator_) {
    case Operator::EqualTo:
        return equal(left, right, options_);
    case Operator::NotEqualTo:
        return !equal(left, right, options_);
    case Operator::LessThan:
    case Operator::LessThanOrEqualTo:
    case Operator::GreaterThan:
    case Operator::GreaterThanOrEqualTo: {
        if (isNil(left) || isNil(right))
            return false;
        const auto c = order(left, right, options_);
        if (!c)
            return false;
        if (operator_ == Operator::LessThan) return *c < 0;
        if (operator_ == Operator::LessThanOrEqualTo) return *c <= 0;
        if (operator_ == Operator::GreaterThan) return *c > 0;
        return *c >= 0;
    }
    case Operator::Contains:
        if (isNil(left) || isNil(right))
            return false;
        if (isList(left)) {
            // On a collection: membership, each element compared for equality.
            for (const QVariant& element : toList(left)) {
                if (equal(element, right, options_))
                    return true;
            }
            return false;
        }
        [[fallthrough]];
    case Operator::BeginsWith:
    case Operator::EndsWith: {
        if (!isString(left) || !isString(right))
            return false;
        const QString haystack = normalized(left.toString(), options_);
        const QString needle = normalizedRight_ && right_.kind == Expression::Kind::Constant
            ? *normalizedRight_
            : normalized(right.toString(), options_);
        // An empty text is found nowhere, as with the platform's strings.
        if (needle.isEmpty())
            return false;
        if (operator_ == Operator::Contains)
            return haystack.contains(needle);
        if (operator_ == Operator::BeginsWith)
            return haystack.startsWith(needle);
        return haystack.endsWith(needle);
    }
    case Operator::Matches:
        return matches(left, right);
    }
    return false;
}

bool Predicate::evaluateIn(const Context& context) const
{
    switch (kind_) {
    case Kind::Constant:
        return truth_;
    case Kind::And:
        for (const auto& sub : subpredicates_) {
            if (!sub->evaluateIn(context))
                return false;
        }
        return true;
    case Kind::Or:
        for (const auto& sub : subpredicates_) {
            if (sub->evaluateIn(context))
                return true;
        }
        return false;
    case Kind::Not:
        return !subpredicates_.front()->evaluateIn(context);
    case Kind::Comparison:
        break;
    }

    return compareResolved(resolve(left_, context), resolve(right_, context));
}

bool Predicate::evaluateOn(const KeyValueAccessor& object, const KeyTable& table) const
{
    switch (kind_) {
    case Kind::Constant:
        return truth_;
    case Kind::And:
        for (const auto& sub : subpredicates_) {
            if (!sub->evaluateOn(object, table))
                return false;
        }
        return true;
    case Kind::Or:
        for (const auto& sub : subpredicates_) {
            if (sub->evaluateOn(object, table))
                return true;
        }
        return false;
    case Kind::Not:
        return !subpredicates_.front()->evaluateOn(object, table);
    case Kind::Comparison:
        break;
    }

    QVariant left;
    if (left_.kind == Expression::Kind::KeyPath) {
        const int index = leftKeyIndex(table);
        if (shortcut_ == Shortcut::FoldedText && index >= 0) {
            const auto query = modifier_ == Modifier::Any ? KeyValueAccessor::TextQuery::AnyContains
                                                          : KeyValueAccessor::TextQuery::Contains;
            if (const auto answer = object.testCaseFoldedText(index, *normalizedRight_, query))
                return *answer;
        } else if (shortcut_ == Shortcut::Bool && index >= 0) {
            if (const auto truth = object.boolForKeyIndex(index)) {
                const bool same = qlonglong(*truth) == boolConstant_;
                return operator_ == Operator::EqualTo ? same : !same;
            }
        }
        if (shortcut_ == Shortcut::Text && index >= 0) {
            if (const auto same = object.textEqualsForKeyIndex(index, *normalizedRight_))
                return operator_ == Operator::EqualTo ? *same : !*same;
        }
        left = followPath(index >= 0 ? object.valueForKeyIndex(index) : object.valueForKey(leftParts_.front()),
                          leftParts_);
        if (shortcut_ == Shortcut::Text && isString(left)) {
            const bool same = left.toString() == *normalizedRight_;
            return operator_ == Operator::EqualTo ? same : !same;
        }
    } else {
        left = left_.kind == Expression::Kind::Constant ? left_.constant : QVariant();
    }
    QVariant right;
    if (right_.kind == Expression::Kind::KeyPath)
        right = followPath(object.valueForKey(rightParts_.front()), rightParts_);
    else if (right_.kind == Expression::Kind::Constant)
        right = right_.constant;
    return compareResolved(left, right);
}

bool Predicate::compareResolved(const QVariant& left, const QVariant& right) const
{
    if (modifier_ == Modifier::Direct)
        return compareValues(left, right);

    // ANY: some element of the left collection satisfies the comparison; a
    // single value counts as a collection of one, nil as an empty one.
    if (isNil(left))
        return false;
    if (!isList(left))
        return compareValues(left, right);
    for (const QVariant& element : toList(left)) {
        if (compareValues(element, right))
            return true;
    }
    return false;
}

QString Predicate::description() const
{
    switch (kind_) {
    case Kind::Constant:
        return truth_ ? QStringLiteral("TRUEPREDICATE") : QStringLiteral("FALSEPREDICATE");
    case Kind::And:
    case Kind::Or: {
        if (subpredicates_.isEmpty())
            return kind_ == Kind::And ? QStringLiteral("TRUEPREDICATE") : QStringLiteral("FALSEPREDICATE");
        QStringList parts;
        for (const auto& sub : subpredicates_) {
            const bool compound = sub->kind_ == Kind::And || sub->kind_ == Kind::Or;
            parts.append(compound ? u'(' + sub->description() + u')' : sub->description());
        }
        return parts.join(kind_ == Kind::And ? QLatin1String(" AND ") : QLatin1String(" OR "));
    }
    case Kind::Not: {
        const auto& sub = subpredicates_.front();
        const bool compound = sub->kind_ == Kind::And || sub->kind_ == Kind::Or;
        return QStringLiteral("NOT ") + (compound ? u'(' + sub->description() + u')' : sub->description());
    }
    case Kind::Comparison:
        break;
    }
    QString op = operatorText(operator_);
    if (options_.caseInsensitive || options_.diacriticInsensitive) {
        op += u'[';
        if (options_.caseInsensitive)
            op += u'c';
        if (options_.diacriticInsensitive)
            op += u'd';
        op += u']';
    }
    QString text = expressionText(left_) + u' ' + op + u' ' + expressionText(right_);
    return modifier_ == Modifier::Any ? QStringLiteral("ANY ") + text : text;
}

} // namespace vantel::platform
