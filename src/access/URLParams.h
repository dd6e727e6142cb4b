#pragma once

#include <QList>
#include <QRegularExpression>
#include <QString>

namespace vantel {

// The kinds of placeholder a URL template may hold, in search order. Each
// raw value is the expression that finds the placeholder.
enum class URLParams { userInput, selectedFileObjects };

QString rawValue(URLParams param);
QList<URLParams> allURLParams();

// The raw value compiled as the platform's regular expressions read it: "\w"
// and "\s" take every script, as the expression's author meant.
QRegularExpression regularExpression(URLParams param);

} // namespace vantel
