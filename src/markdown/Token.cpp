#include "markdown/Token.h"

#include "markdown/CharacterSet.h"

namespace vantel {

Token::Token(TokenType type, QString inputString, QList<CharacterStyling> characterStyles)
    : type(type)
    , inputString(std::move(inputString))
    , characterStyles(std::move(characterStyles))
{
    if (type == TokenType::repeatingTag)
        count = static_cast<int>(CharacterSet::characters(this->inputString).size());
}

QString Token::outputString() const
{
    switch (type) {
    case TokenType::repeatingTag: {
        if (count <= 0)
            return QString();
        return CharacterSet::characters(inputString).mid(0, count).join(QString());
    }
    case TokenType::openTag:
    case TokenType::intermediateTag:
    case TokenType::closeTag:
    case TokenType::string:
    case TokenType::escape:
        return (isProcessed || isMetadata) ? QString() : inputString;
    case TokenType::replacement:
        return inputString;
    }
    return inputString;
}

} // namespace vantel
