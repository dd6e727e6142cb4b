#pragma once

#include "access/URLAttributedStringDefinition.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QTextLayout>

namespace vantel {

// A template with its colouring: format ranges over the text, in order,
// covering it without gaps.
struct URLAttributedString {
    QString text;
    QList<QTextLayout::FormatRange> formats;

    // The format at a position (UTF-16 offset); an empty format outside.
    QTextCharFormat formatAt(qsizetype position) const;
};

// Colours a URL template for display: scheme, host, query, the query's "="
// and "&", and the placeholders. Main thread only.
class URLAttributedStringParser {
public:
    URLAttributedStringParser();

    URLAttributedString attributedString(const QString& urlTemplate) const;

    const QList<URLAttributedStringDefinition>& URLAttributedStringDefinitions() const { return definitions_; }
    QFont attributedStringFont() const { return font_; }

    // The fixed colours of the parts (light and dark appearance alike).
    static QColor schemeColor();
    static QColor domainColor();
    static QColor queryColor();
    static QColor queryDivider1Color();
    static QColor queryDivider2Color();
    static QColor placeholderColor();
    // The colour of plain text.
    static QColor labelColor();

    static const QString regExDefinitionScheme;
    static const QString regExDefinitionDomain;
    static const QString regExDefinitionQuery;
    static const QString regExDefinitionQueryDivider1;
    static const QString regExDefinitionQueryDivider2;

private:
    QFont font_;
    QList<URLAttributedStringDefinition> definitions_;
};

} // namespace vantel
