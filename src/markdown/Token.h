#pragma once

#include "markdown/CharacterStyle.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

namespace vantel {

enum class TokenType {
    repeatingTag,
    openTag,
    intermediateTag,
    closeTag,
    string,
    escape,
    replacement,
};

// A run of a line's visible text with its styles and link or image targets.
struct Token {
    Token(TokenType type, QString inputString, QList<CharacterStyling> characterStyles = {});

    QString id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    TokenType type;
    QString inputString;
    QStringList metadataStrings;
    int group = 0;
    QList<CharacterStyling> characterStyles;
    int count = 0;
    bool shouldSkip = false;
    int tokenIndex = -1;
    bool isProcessed = false;
    bool isMetadata = false;
    QList<Token> children;

    // The text this token contributes to the rendered line.
    QString outputString() const;
};

} // namespace vantel
