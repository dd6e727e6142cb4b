#include "access/URLParams.h"

namespace vantel {

QString rawValue(URLParams param)
{
    switch (param) {
    case URLParams::userInput:
        return QStringLiteral(R"(\%{2}userInput(\:(?<question>[\w\d\s]*))?\%{2})");
    case URLParams::selectedFileObjects:
        return QStringLiteral(R"(\%{2}selectedFileObjects\%{2})");
    }
    return {};
}

QList<URLParams> allURLParams()
{
    return {URLParams::userInput, URLParams::selectedFileObjects};
}

QRegularExpression regularExpression(URLParams param)
{
    return QRegularExpression(rawValue(param), QRegularExpression::UseUnicodePropertiesOption);
}

} // namespace vantel
