#pragma once

#include "platform/Predicate.h"

#include <QString>
#include <QVariantList>

#include <memory>

namespace vantel::platform {

// Turns a predicate format string into a Predicate tree. Keywords are
// case-insensitive; %@ takes the next argument as a value, %K as a key path.
class PredicateParser {
public:
    PredicateParser(const QString& format, const QVariantList& arguments);

    // nullptr and error() set when the text is malformed.
    std::shared_ptr<const Predicate> parse();
    QString error() const { return error_; }

private:
    struct Token {
        enum class Kind { End, Identifier, String, Number, Symbol, Argument };
        Kind kind = Kind::End;
        QString text;     // identifier, symbol or argument letter
        QVariant value;   // string or number literal
        qsizetype offset = 0;
    };

    bool tokenize();
    const Token& peek() const { return tokens_[position_]; }
    Token take() { return tokens_[position_ < tokens_.size() - 1 ? position_++ : position_]; }
    bool isKeyword(const Token& token, const char* keyword) const;
    bool isSymbol(const Token& token, const char* symbol) const;
    [[noreturn]] void fail(const QString& message, qsizetype offset) const;

    std::shared_ptr<const Predicate> parseOr(int depth);
    std::shared_ptr<const Predicate> parseAnd(int depth);
    std::shared_ptr<const Predicate> parseNot(int depth);
    std::shared_ptr<const Predicate> parsePrimary(int depth);
    std::shared_ptr<const Predicate> parseComparison();
    Predicate::Expression parseExpression();
    QVariant nextArgument(qsizetype offset);

    QString format_;
    QVariantList arguments_;
    qsizetype nextArgument_ = 0;
    QList<Token> tokens_;
    qsizetype position_ = 0;
    QString error_;
};

} // namespace vantel::platform
