#include "model/CharacterSet.h"

#include <QStringView>

#include <cstring>

namespace vantel {

CharacterSet CharacterSet::fromASCII(const char* characters, bool alphanumerics)
{
    CharacterSet set;
    if (alphanumerics) {
        for (char c = '0'; c <= '9'; ++c)
            set.ascii_.set(static_cast<std::size_t>(c));
        for (char c = 'a'; c <= 'z'; ++c) {
            set.ascii_.set(static_cast<std::size_t>(c));
            set.ascii_.set(static_cast<std::size_t>(c - 'a' + 'A'));
        }
    }
    for (const char* p = characters; *p; ++p)
        set.ascii_.set(static_cast<unsigned char>(*p) & 0x7F);
    return set;
}

bool CharacterSet::contains(char32_t codePoint) const
{
    if (codePoint < 128)
        return ascii_.test(codePoint);
    return nonASCII_;
}

CharacterSet CharacterSet::inverted() const
{
    CharacterSet set;
    set.ascii_ = ~ascii_;
    set.nonASCII_ = !nonASCII_;
    return set;
}

CharacterSet CharacterSet::unioned(const CharacterSet& other) const
{
    CharacterSet set;
    set.ascii_ = ascii_ | other.ascii_;
    set.nonASCII_ = nonASCII_ || other.nonASCII_;
    return set;
}

CharacterSet CharacterSet::subtracting(const char* characters) const
{
    CharacterSet set = *this;
    for (const char* p = characters; *p; ++p)
        set.ascii_.reset(static_cast<unsigned char>(*p) & 0x7F);
    return set;
}

CharacterSet CharacterSet::urlQueryAllowed()
{
    return fromASCII("!$&'()*+,-./:;=?@_~", true);
}

CharacterSet CharacterSet::urlPathAllowed()
{
    return fromASCII("!$&'()*+,-./:=@_~", true);
}

CharacterSet CharacterSet::urlFragmentAllowed()
{
    return fromASCII("!$&'()*+,-./:;=?@_~", true);
}

CharacterSet CharacterSet::urlHostAllowed()
{
    return fromASCII("!$&'()*+,-.:;=[]_~", true);
}

CharacterSet urlQueryValueAllowed()
{
    static const CharacterSet set = CharacterSet::urlQueryAllowed().subtracting("&?");
    return set;
}

CharacterSet urlQueryDisallowed()
{
    static const CharacterSet set = CharacterSet::urlQueryAllowed().inverted();
    return set;
}

CharacterSet urlQueryValueDisallowed()
{
    static const CharacterSet set = urlQueryValueAllowed().inverted();
    return set;
}

CharacterSet urlPathDisallowed()
{
    static const CharacterSet set = CharacterSet::urlPathAllowed().inverted();
    return set;
}

CharacterSet urlFragmentDisallowed()
{
    static const CharacterSet set = CharacterSet::urlFragmentAllowed().inverted();
    return set;
}

CharacterSet urlHostDisallowed()
{
    static const CharacterSet set = CharacterSet::urlHostAllowed().inverted();
    return set;
}

CharacterSet urlComponentsDisallowed()
{
    static const CharacterSet set = urlQueryDisallowed()
                                        .unioned(urlQueryValueDisallowed())
                                        .unioned(urlPathDisallowed())
                                        .unioned(urlFragmentDisallowed())
                                        .unioned(urlHostDisallowed());
    return set;
}

CharacterSet urlComponentAllowed()
{
    static const CharacterSet set = urlComponentsDisallowed().inverted();
    return set;
}

std::optional<QString> addingPercentEncoding(const QString& text, const CharacterSet& allowed)
{
    static const char hex[] = "0123456789ABCDEF";
    QString result;
    result.reserve(text.size());
    const QStringView view(text);
    for (qsizetype i = 0; i < view.size(); ++i) {
        char32_t codePoint = view.at(i).unicode();
        qsizetype length = 1;
        if (QChar::isHighSurrogate(codePoint)) {
            if (i + 1 >= view.size() || !view.at(i + 1).isLowSurrogate())
                return std::nullopt;
            codePoint = QChar::surrogateToUcs4(view.at(i), view.at(i + 1));
            length = 2;
        } else if (QChar::isLowSurrogate(codePoint)) {
            return std::nullopt;
        }
        if (allowed.contains(codePoint)) {
            result.append(view.mid(i, length));
        } else {
            const QByteArray utf8 = view.mid(i, length).toUtf8();
            for (const char byte : utf8) {
                const auto b = static_cast<unsigned char>(byte);
                result.append(QLatin1Char('%'));
                result.append(QLatin1Char(hex[b >> 4]));
                result.append(QLatin1Char(hex[b & 0xF]));
            }
        }
        i += length - 1;
    }
    return result;
}

} // namespace vantel
