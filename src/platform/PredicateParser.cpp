#include "platform/PredicateParser.h"

#include <QMetaType>

namespace vantel::platform {

namespace {

// Nesting beyond this is refused rather than risking the stack.
constexpr int maximumDepth = 200;

struct ParseFailure {
    QString message;
};

bool isIdentifierStart(QChar c)
{
    return c.isLetter() || c == u'_' || c == u'$' || c == u'#';
}

bool isIdentifierPart(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$' || c == u'.';
}

const char* const reservedWords[] = {"AND", "OR", "NOT", "ANY", "SOME", "CONTAINS", "BEGINSWITH", "ENDSWITH",
                                     "MATCHES", "TRUE", "FALSE", "YES", "NO", "NIL", "NULL", "SELF",
                                     "TRUEPREDICATE", "FALSEPREDICATE"};

bool isReserved(const QString& word)
{
    for (const char* reserved : reservedWords) {
        if (word.compare(QLatin1String(reserved), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

} // namespace

PredicateParser::PredicateParser(const QString& format, const QVariantList& arguments)
    : format_(format)
    , arguments_(arguments)
{
}

void PredicateParser::fail(const QString& message, qsizetype offset) const
{
    throw ParseFailure{QStringLiteral("Unable to parse the format string \"%1\": %2 (at offset %3)")
                           .arg(format_, message)
                           .arg(offset)};
}

bool PredicateParser::isKeyword(const Token& token, const char* keyword) const
{
    return token.kind == Token::Kind::Identifier && token.text.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0;
}

bool PredicateParser::isSymbol(const Token& token, const char* symbol) const
{
    return token.kind == Token::Kind::Symbol && token.text == QLatin1String(symbol);
}

bool PredicateParser::tokenize()
{
    const QString& s = format_;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        Token token;
        token.offset = i;
        if (isIdentifierStart(c)) {
            // "#word" names a key that would otherwise be a reserved word.
            const bool escaped = c == u'#';
            qsizetype j = escaped ? i + 1 : i;
            const qsizetype start = j;
            while (j < n && isIdentifierPart(s[j]))
                ++j;
            if (j == start)
                fail(QStringLiteral("a key name is missing after '#'"), i);
            token.kind = Token::Kind::Identifier;
            token.text = s.mid(start, j - start);
            if (escaped)
                token.value = true;   // marks a key that must not be read as a keyword
            if (token.text.startsWith(u'.') || token.text.endsWith(u'.') || token.text.contains(QLatin1String("..")))
                fail(QStringLiteral("malformed key path \"%1\"").arg(token.text), i);
            i = j;
        } else if (c == u'"' || c == u'\'') {
            QString text;
            qsizetype j = i + 1;
            bool closed = false;
            while (j < n) {
                const QChar d = s[j];
                if (d == c) {
                    closed = true;
                    ++j;
                    break;
                }
                if (d == u'\\' && j + 1 < n) {
                    const QChar e = s[j + 1];
                    switch (e.unicode()) {
                    case 'n': text += u'\n'; break;
                    case 't': text += u'\t'; break;
                    case 'r': text += u'\r'; break;
                    case '"': case '\'': case '\\': text += e; break;
                    default:
                        // Keep unknown escapes whole, so regular expressions survive.
                        text += d;
                        text += e;
                    }
                    j += 2;
                    continue;
                }
                text += d;
                ++j;
            }
            if (!closed)
                fail(QStringLiteral("unterminated string"), i);
            token.kind = Token::Kind::String;
            token.value = text;
            i = j;
        } else if (c.isDigit() || (c == u'-' && i + 1 < n && (s[i + 1].isDigit() || s[i + 1] == u'.'))
                   || (c == u'.' && i + 1 < n && s[i + 1].isDigit())) {
            qsizetype j = i + 1;
            bool floating = c == u'.';
            while (j < n && s[j].isDigit())
                ++j;
            if (j < n && s[j] == u'.') {
                floating = true;
                ++j;
                while (j < n && s[j].isDigit())
                    ++j;
            }
            if (j < n && (s[j] == u'e' || s[j] == u'E')) {
                qsizetype k = j + 1;
                if (k < n && (s[k] == u'+' || s[k] == u'-'))
                    ++k;
                if (k < n && s[k].isDigit()) {
                    floating = true;
                    j = k;
                    while (j < n && s[j].isDigit())
                        ++j;
                }
            }
            if (j < n && isIdentifierStart(s[j]))
                fail(QStringLiteral("malformed number"), i);
            const QString text = s.mid(i, j - i);
            bool ok = false;
            if (!floating) {
                const qlonglong integer = text.toLongLong(&ok);
                if (ok)
                    token.value = integer;
            }
            if (!ok) {
                const double real = text.toDouble(&ok);
                if (!ok)
                    fail(QStringLiteral("malformed number"), i);
                token.value = real;
            }
            token.kind = Token::Kind::Number;
            i = j;
        } else if (c == u'%') {
            if (i + 1 >= n || (s[i + 1] != u'@' && s[i + 1] != u'K'))
                fail(QStringLiteral("unsupported format specifier"), i);
            token.kind = Token::Kind::Argument;
            token.text = s[i + 1];
            i += 2;
        } else {
            static const char* const symbols[] = {"==", "!=", "<>", "<=", "=<", ">=", "=>", "&&", "||",
                                                  "=",  "<",  ">",  "!",  "(",  ")",  "[",  "]"};
            bool found = false;
            for (const char* symbol : symbols) {
                const QLatin1String text(symbol);
                if (QStringView(s).mid(i).startsWith(text)) {
                    token.kind = Token::Kind::Symbol;
                    token.text = text;
                    i += text.size();
                    found = true;
                    break;
                }
            }
            if (!found)
                fail(QStringLiteral("unexpected character '%1'").arg(c), i);
        }
        tokens_.append(token);
    }
    Token end;
    end.offset = n;
    tokens_.append(end);
    return true;
}

std::shared_ptr<const Predicate> PredicateParser::parse()
{
    try {
        tokenize();
        if (peek().kind == Token::Kind::End)
            fail(QStringLiteral("the format string is empty"), 0);
        auto predicate = parseOr(0);
        if (peek().kind != Token::Kind::End)
            fail(QStringLiteral("unexpected text after the end of the predicate"), peek().offset);
        if (nextArgument_ < arguments_.size())
            fail(QStringLiteral("%1 argument(s) given but only %2 used").arg(arguments_.size()).arg(nextArgument_),
                 format_.size());
        return predicate;
    } catch (const ParseFailure& failure) {
        error_ = failure.message;
    } catch (const std::exception& exception) {
        error_ = QStringLiteral("Unable to parse the format string \"%1\": %2")
                     .arg(format_, QString::fromLocal8Bit(exception.what()));
    }
    return nullptr;
}

std::shared_ptr<const Predicate> PredicateParser::parseOr(int depth)
{
    QList<std::shared_ptr<const Predicate>> terms{parseAnd(depth)};
    while (isKeyword(peek(), "OR") || isSymbol(peek(), "||")) {
        take();
        terms.append(parseAnd(depth));
    }
    return terms.size() == 1 ? terms.front() : Predicate::orPredicate(terms);
}

std::shared_ptr<const Predicate> PredicateParser::parseAnd(int depth)
{
    QList<std::shared_ptr<const Predicate>> terms{parseNot(depth)};
    while (isKeyword(peek(), "AND") || isSymbol(peek(), "&&")) {
        take();
        terms.append(parseNot(depth));
    }
    return terms.size() == 1 ? terms.front() : Predicate::andPredicate(terms);
}

std::shared_ptr<const Predicate> PredicateParser::parseNot(int depth)
{
    if (depth > maximumDepth)
        fail(QStringLiteral("nested too deeply"), peek().offset);
    if (isKeyword(peek(), "NOT") || isSymbol(peek(), "!")) {
        take();
        return Predicate::notPredicate(parseNot(depth + 1));
    }
    return parsePrimary(depth);
}

std::shared_ptr<const Predicate> PredicateParser::parsePrimary(int depth)
{
    if (isSymbol(peek(), "(")) {
        take();
        auto inner = parseOr(depth + 1);
        if (!isSymbol(peek(), ")"))
            fail(QStringLiteral("expected ')'"), peek().offset);
        take();
        return inner;
    }
    if (isKeyword(peek(), "TRUEPREDICATE")) {
        take();
        return Predicate::value(true);
    }
    if (isKeyword(peek(), "FALSEPREDICATE")) {
        take();
        return Predicate::value(false);
    }
    return parseComparison();
}

std::shared_ptr<const Predicate> PredicateParser::parseComparison()
{
    Predicate::Modifier modifier = Predicate::Modifier::Direct;
    if (isKeyword(peek(), "ANY") || isKeyword(peek(), "SOME")) {
        take();
        modifier = Predicate::Modifier::Any;
    }
    const Predicate::Expression left = parseExpression();

    const Token opToken = take();
    Predicate::Operator op;
    bool takesOptions = true;
    if (opToken.kind == Token::Kind::Symbol) {
        const QString& t = opToken.text;
        if (t == QLatin1String("=") || t == QLatin1String("=="))
            op = Predicate::Operator::EqualTo;
        else if (t == QLatin1String("!=") || t == QLatin1String("<>"))
            op = Predicate::Operator::NotEqualTo;
        else if (t == QLatin1String("<"))
            op = Predicate::Operator::LessThan;
        else if (t == QLatin1String("<=") || t == QLatin1String("=<"))
            op = Predicate::Operator::LessThanOrEqualTo;
        else if (t == QLatin1String(">"))
            op = Predicate::Operator::GreaterThan;
        else if (t == QLatin1String(">=") || t == QLatin1String("=>"))
            op = Predicate::Operator::GreaterThanOrEqualTo;
        else
            fail(QStringLiteral("expected a comparison operator"), opToken.offset);
        takesOptions = op == Predicate::Operator::EqualTo || op == Predicate::Operator::NotEqualTo;
    } else if (isKeyword(opToken, "CONTAINS")) {
        op = Predicate::Operator::Contains;
    } else if (isKeyword(opToken, "BEGINSWITH")) {
        op = Predicate::Operator::BeginsWith;
    } else if (isKeyword(opToken, "ENDSWITH")) {
        op = Predicate::Operator::EndsWith;
    } else if (isKeyword(opToken, "MATCHES")) {
        op = Predicate::Operator::Matches;
    } else {
        fail(QStringLiteral("expected a comparison operator"), opToken.offset);
    }

    Predicate::Options options;
    if (isSymbol(peek(), "[")) {
        const Token open = take();
        if (!takesOptions)
            fail(QStringLiteral("this operator takes no options"), open.offset);
        const Token flags = take();
        if (flags.kind != Token::Kind::Identifier || flags.value.isValid())
            fail(QStringLiteral("expected options such as c, d or cd"), flags.offset);
        for (const QChar flag : flags.text) {
            if (flag == u'c' || flag == u'C')
                options.caseInsensitive = true;
            else if (flag == u'd' || flag == u'D')
                options.diacriticInsensitive = true;
            else
                fail(QStringLiteral("unknown option '%1'").arg(flag), flags.offset);
        }
        if (!isSymbol(peek(), "]"))
            fail(QStringLiteral("expected ']'"), peek().offset);
        take();
    }

    const qsizetype rightOffset = peek().offset;
    const Predicate::Expression right = parseExpression();
    QString error;
    auto predicate = Predicate::comparison(left, op, right, modifier, options, &error);
    if (!predicate)
        fail(error, rightOffset);
    return predicate;
}

Predicate::Expression PredicateParser::parseExpression()
{
    const Token token = take();
    switch (token.kind) {
    case Token::Kind::String:
    case Token::Kind::Number:
        return Predicate::Expression::constantValue(token.value);
    case Token::Kind::Argument: {
        const QVariant argument = nextArgument(token.offset);
        if (token.text == QLatin1String("K")) {
            if (argument.typeId() != QMetaType::QString || argument.toString().isEmpty())
                fail(QStringLiteral("%K needs a key path string"), token.offset);
            return Predicate::Expression::key(argument.toString());
        }
        return Predicate::Expression::constantValue(argument);
    }
    case Token::Kind::Identifier: {
        if (token.value.isValid())   // escaped with '#'
            return Predicate::Expression::key(token.text);
        if (isKeyword(token, "TRUE") || isKeyword(token, "YES"))
            return Predicate::Expression::constantValue(true);
        if (isKeyword(token, "FALSE") || isKeyword(token, "NO"))
            return Predicate::Expression::constantValue(false);
        if (isKeyword(token, "NIL") || isKeyword(token, "NULL"))
            return Predicate::Expression::constantValue(QVariant());
        if (isKeyword(token, "SELF"))
            return Predicate::Expression::self();
        if (isReserved(token.text))
            fail(QStringLiteral("expected a value but found \"%1\"").arg(token.text), token.offset);
        return Predicate::Expression::key(token.text);
    }
    case Token::Kind::End:
        fail(QStringLiteral("unexpected end, expected a value"), token.offset);
    case Token::Kind::Symbol:
        break;
    }
    fail(QStringLiteral("expected a value but found \"%1\"").arg(token.text), token.offset);
}

QVariant PredicateParser::nextArgument(qsizetype offset)
{
    if (nextArgument_ >= arguments_.size())
        fail(QStringLiteral("too few arguments"), offset);
    return arguments_[nextArgument_++];
}

} // namespace vantel::platform
