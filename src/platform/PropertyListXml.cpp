#include "platform/PropertyList.h"
#include "platform/PropertyListFormats.h"

#include <QDateTime>
#include <QLocale>
#include <QVariantHash>
#include <QVariantList>
#include <QVariantMap>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace vantel::platform::PropertyList::detail {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Reads the XML form with an explicit stack of open containers, so nesting
// costs heap, not stack, and is refused past maxNesting as it is met.
class XmlReader {
public:
    explicit XmlReader(const QByteArray& data)
        : at_(data.constData())
        , end_(data.constData() + data.size())
    {
    }

    std::optional<QVariant> read(QString* error)
    {
        std::optional<QVariant> root = document();
        if (!root) {
            setError(error, QStringLiteral("damaged XML property list: %1").arg(message_));
            return std::nullopt;
        }
        return root;
    }

private:
    struct Tag {
        QByteArray name;
        bool closing = false;
        bool empty = false;     // <name/>
    };

    struct Container {
        bool dict = false;
        QVariantList list;
        QVariantMap map;
        std::optional<QString> key;
    };

    std::nullopt_t refuse(const QString& message)
    {
        if (message_.isEmpty())
            message_ = message;
        return std::nullopt;
    }

    bool startsWith(const char* text) const
    {
        const auto length = std::strlen(text);
        return std::size_t(end_ - at_) >= length && std::memcmp(at_, text, length) == 0;
    }

    bool skipPast(const char* text)
    {
        const auto length = std::strlen(text);
        while (std::size_t(end_ - at_) >= length) {
            if (std::memcmp(at_, text, length) == 0) {
                at_ += length;
                return true;
            }
            ++at_;
        }
        at_ = end_;
        return false;
    }

    // Skips white space, comments, processing instructions and the document type.
    bool skipMisc()
    {
        for (;;) {
            while (at_ < end_ && isSpace(*at_))
                ++at_;
            if (startsWith("<!--")) {
                if (!skipPast("-->"))
                    return false;
            } else if (startsWith("<?")) {
                if (!skipPast("?>"))
                    return false;
            } else if (startsWith("<!DOCTYPE")) {
                int brackets = 0;
                while (at_ < end_ && (*at_ != '>' || brackets > 0)) {
                    brackets += *at_ == '[' ? 1 : *at_ == ']' ? -1 : 0;
                    ++at_;
                }
                if (at_ == end_)
                    return false;
                ++at_;
            } else {
                return true;
            }
        }
    }

    std::optional<Tag> tag()
    {
        if (!skipMisc())
            return refuse(QStringLiteral("a comment or declaration is not closed"));
        if (at_ == end_ || *at_ != '<')
            return refuse(QStringLiteral("text where an element belongs"));
        ++at_;
        Tag result;
        if (at_ < end_ && *at_ == '/') {
            result.closing = true;
            ++at_;
        }
        const char* name = at_;
        while (at_ < end_ && !isSpace(*at_) && *at_ != '>' && *at_ != '/')
            ++at_;
        result.name = QByteArray(name, at_ - name);
        // Attributes are not used; quoted values may hold '>'.
        char quote = 0;
        while (at_ < end_ && (quote || *at_ != '>')) {
            if (quote && *at_ == quote)
                quote = 0;
            else if (!quote && (*at_ == '"' || *at_ == '\''))
                quote = *at_;
            ++at_;
        }
        if (at_ == end_)
            return refuse(QStringLiteral("an element is not closed"));
        result.empty = !result.closing && at_[-1] == '/';
        ++at_;
        if (result.name.isEmpty())
            return refuse(QStringLiteral("an element without a name"));
        return result;
    }

    // The text up to </name>, entities and character sections resolved.
    std::optional<QByteArray> text(const QByteArray& name)
    {
        QByteArray result;
        for (;;) {
            const char* start = at_;
            while (at_ < end_ && *at_ != '<' && *at_ != '&')
                ++at_;
            result.append(start, at_ - start);
            if (at_ == end_)
                return refuse(QStringLiteral("<%1> is not closed").arg(QString::fromUtf8(name)));
            if (*at_ == '&') {
                const char* semicolon = static_cast<const char*>(std::memchr(at_, ';', std::size_t(end_ - at_)));
                if (!semicolon || semicolon - at_ > 12)
                    return refuse(QStringLiteral("a broken entity"));
                const QByteArray entity(at_ + 1, semicolon - at_ - 1);
                at_ = semicolon + 1;
                if (entity == "lt")
                    result.append('<');
                else if (entity == "gt")
                    result.append('>');
                else if (entity == "amp")
                    result.append('&');
                else if (entity == "quot")
                    result.append('"');
                else if (entity == "apos")
                    result.append('\'');
                else if (entity.startsWith('#')) {
                    bool ok = false;
                    const uint code = entity.startsWith("#x") ? entity.mid(2).toUInt(&ok, 16) : entity.mid(1).toUInt(&ok, 10);
                    if (!ok || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
                        return refuse(QStringLiteral("a broken character reference"));
                    const char32_t character = code;
                    result.append(QString::fromUcs4(&character, 1).toUtf8());
                } else {
                    return refuse(QStringLiteral("an unknown entity &%1;").arg(QString::fromUtf8(entity)));
                }
                continue;
            }
            if (startsWith("<![CDATA[")) {
                at_ += 9;
                const char* start = at_;
                if (!skipPast("]]>"))
                    return refuse(QStringLiteral("a character section is not closed"));
                result.append(start, at_ - 3 - start);
                continue;
            }
            if (startsWith("<!--")) {
                if (!skipPast("-->"))
                    return refuse(QStringLiteral("a comment is not closed"));
                continue;
            }
            std::optional<Tag> close = tag();
            if (!close)
                return std::nullopt;
            if (!close->closing || close->name != name)
                return refuse(QStringLiteral("<%1> holds an element").arg(QString::fromUtf8(name)));
            return result;
        }
    }

    std::optional<QString> string(const QByteArray& name, bool empty)
    {
        if (empty)
            return QString();
        std::optional<QByteArray> content = text(name);
        if (!content)
            return std::nullopt;
        if (content->contains('\0'))
            return refuse(QStringLiteral("a string holds NUL"));
        return QString::fromUtf8(*content);
    }

    std::optional<QVariant> integer(const QByteArray& content)
    {
        const QByteArray trimmed = content.trimmed();
        const bool negative = trimmed.startsWith('-');
        const int base = trimmed.mid(negative ? 1 : 0, 2).toLower() == "0x" ? 16 : 10;
        bool ok = false;
        if (negative) {
            const qint64 value = trimmed.toLongLong(&ok, base);
            if (ok)
                return QVariant(value);
        } else {
            const quint64 value = trimmed.toULongLong(&ok, base);
            if (ok && value > quint64(std::numeric_limits<qint64>::max()))
                return QVariant(value);
            if (ok)
                return QVariant(qint64(value));
        }
        return refuse(QStringLiteral("integer \"%1\" is not a 64-bit number").arg(QString::fromUtf8(trimmed.left(40))));
    }

    std::optional<QVariant> real(const QByteArray& content)
    {
        const QByteArray trimmed = content.trimmed().toLower();
        if (trimmed == "nan")
            return QVariant(std::numeric_limits<double>::quiet_NaN());
        if (trimmed == "inf" || trimmed == "+inf" || trimmed == "infinity" || trimmed == "+infinity")
            return QVariant(std::numeric_limits<double>::infinity());
        if (trimmed == "-inf" || trimmed == "-infinity")
            return QVariant(-std::numeric_limits<double>::infinity());
        bool ok = false;
        const double value = trimmed.toDouble(&ok);
        if (!ok)
            return refuse(QStringLiteral("real \"%1\" is not a number").arg(QString::fromUtf8(trimmed.left(40))));
        return QVariant(value);
    }

    std::optional<QVariant> date(const QByteArray& content)
    {
        const QDateTime date = QDateTime::fromString(QString::fromLatin1(content.trimmed()), Qt::ISODate);
        if (!date.isValid())
            return refuse(QStringLiteral("date \"%1\" is not a date").arg(QString::fromUtf8(content.trimmed().left(40))));
        return QVariant(date.toUTC());
    }

    std::optional<QVariant> data(const QByteArray& content)
    {
        QByteArray packed;
        packed.reserve(content.size());
        for (char c : content) {
            if (!isSpace(c))
                packed.append(c);
        }
        auto decoded = QByteArray::fromBase64Encoding(packed, QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded)
            return refuse(QStringLiteral("data is not base64"));
        return QVariant(*decoded);
    }

    // A value that holds no other: the element's text read and converted.
    std::optional<QVariant> scalar(const Tag& open)
    {
        const QByteArray& name = open.name;
        if (name == "true" || name == "false") {
            if (!open.empty && !text(name))
                return std::nullopt;
            return QVariant(name == "true");
        }
        if (name == "string") {
            if (auto value = string(name, open.empty))
                return QVariant(*value);
            return std::nullopt;
        }
        const std::optional<QByteArray> content = open.empty ? QByteArray() : text(name);
        if (!content)
            return std::nullopt;
        if (name == "integer")
            return integer(*content);
        if (name == "real")
            return real(*content);
        if (name == "date")
            return date(*content);
        if (name == "data")
            return data(*content);
        return refuse(QStringLiteral("unknown element <%1>").arg(QString::fromUtf8(name.left(40))));
    }

    // A finished dictionary; {"CF$UID": n} stands for a reference.
    static QVariant dictValue(QVariantMap map)
    {
        if (map.size() == 1) {
            const QVariant uid = map.value(QStringLiteral("CF$UID"));
            if (uid.typeId() == QMetaType::LongLong && uid.toLongLong() >= 0)
                return QVariant::fromValue(Uid{quint64(uid.toLongLong())});
        }
        return map;
    }

    // Puts a finished value into the innermost container, or makes it the root.
    std::optional<QVariant> place(std::vector<Container>& stack, QVariant value)
    {
        if (stack.empty())
            return value;
        Container& parent = stack.back();
        if (!parent.dict) {
            parent.list.append(std::move(value));
        } else {
            if (!parent.key)
                return refuse(QStringLiteral("a dictionary value without a key"));
            parent.map.insert(*parent.key, std::move(value));
            parent.key.reset();
        }
        return std::nullopt;
    }

    std::optional<QVariant> document()
    {
        std::optional<Tag> first = tag();
        if (!first)
            return std::nullopt;
        const bool wrapped = first->name == "plist" && !first->closing;
        if (wrapped && first->empty)
            return refuse(QStringLiteral("an empty document"));
        std::optional<Tag> open = wrapped ? tag() : first;
        std::vector<Container> stack;
        std::optional<QVariant> root;
        while (!root) {
            if (!open)
                return std::nullopt;
            if (open->closing) {
                const QByteArray expected = stack.empty() ? QByteArray() : QByteArray(stack.back().dict ? "dict" : "array");
                if (open->name != expected)
                    return refuse(QStringLiteral("unexpected </%1>").arg(QString::fromUtf8(open->name.left(40))));
                if (stack.back().key)
                    return refuse(QStringLiteral("a key without a value"));
                Container done = std::move(stack.back());
                stack.pop_back();
                root = place(stack, done.dict ? dictValue(std::move(done.map)) : QVariant(std::move(done.list)));
            } else if (open->name == "key") {
                if (stack.empty() || !stack.back().dict || stack.back().key)
                    return refuse(QStringLiteral("a key outside a dictionary"));
                std::optional<QString> key = string(open->name, open->empty);
                if (!key)
                    return std::nullopt;
                stack.back().key = std::move(*key);
            } else if (open->name == "dict" || open->name == "array") {
                const bool dict = open->name == "dict";
                // An empty container is a level as well.
                if (int(stack.size()) >= maxNesting)
                    return refuse(QStringLiteral("nested deeper than %1 levels").arg(maxNesting));
                if (open->empty)
                    root = place(stack, dict ? QVariant(QVariantMap()) : QVariant(QVariantList()));
                else
                    stack.push_back(Container{dict, {}, {}, {}});
            } else {
                std::optional<QVariant> value = scalar(*open);
                if (!value)
                    return std::nullopt;
                root = place(stack, std::move(*value));
            }
            if (!message_.isEmpty())
                return std::nullopt;
            if (!root)
                open = tag();
        }
        if (wrapped) {
            std::optional<Tag> close = tag();
            if (!close || !close->closing || close->name != "plist")
                return refuse(QStringLiteral("more than one value at the top"));
        }
        if (!skipMisc() || at_ != end_)
            return refuse(QStringLiteral("text after the end"));
        return root;
    }

    const char* at_;
    const char* end_;
    QString message_;
};

void appendEscaped(QByteArray& out, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    for (char c : utf8) {
        switch (c) {
        case '<': out.append("&lt;"); break;
        case '>': out.append("&gt;"); break;
        case '&': out.append("&amp;"); break;
        default: out.append(c); break;
        }
    }
}

class XmlWriter {
public:
    QByteArray write(const QVariant& root, QString* error)
    {
        out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n";
        if (!value(root, 0)) {
            setError(error, message_);
            return {};
        }
        out_.append("</plist>\n");
        return out_;
    }

private:
    bool refuse(const QString& message)
    {
        if (message_.isEmpty())
            message_ = message;
        return false;
    }

    void line(int depth, const QByteArray& text)
    {
        out_.append(QByteArray(depth, '\t'));
        out_.append(text);
        out_.append('\n');
    }

    void element(int depth, const char* name, const QByteArray& content)
    {
        out_.append(QByteArray(depth, '\t'));
        out_.append('<').append(name).append('>').append(content).append("</").append(name).append(">\n");
    }

    bool string(int depth, const char* name, const QString& text)
    {
        if (text.contains(QChar(0)))
            return refuse(QStringLiteral("%1 holds a NUL character")
                              .arg(std::strcmp(name, "key") == 0 ? QStringLiteral("dictionary key") : QStringLiteral("string")));
        QByteArray escaped;
        appendEscaped(escaped, text);
        element(depth, name, escaped);
        return true;
    }

    // `entries` yields key/value pairs in the order they are written.
    template <typename Entries>
    bool dict(const Entries& entries, int depth)
    {
        if (entries.begin() == entries.end()) {
            line(depth, "<dict/>");
            return true;
        }
        line(depth, "<dict>");
        for (const auto& [key, item] : entries) {
            if (!string(depth + 1, "key", key) || !value(item, depth + 1))
                return false;
        }
        line(depth, "</dict>");
        return true;
    }

    bool value(const QVariant& value, int depth)
    {
        if (depth > maxNesting || (depth == maxNesting && isContainerValue(value)))
            return refuse(QStringLiteral("value nested deeper than %1 levels").arg(maxNesting));
        if (value.metaType() == QMetaType::fromType<Uid>()) {
            line(depth, "<dict>");
            element(depth + 1, "key", "CF$UID");
            element(depth + 1, "integer", QByteArray::number(value.value<Uid>().value));
            line(depth, "</dict>");
            return true;
        }
        if (value.metaType() == QMetaType::fromType<OrderedDictionary>()) {
            const OrderedDictionary dictionary = value.value<OrderedDictionary>();
            return dict(dictionary.entries(), depth);
        }
        switch (value.typeId()) {
        case QMetaType::Bool:
            line(depth, value.toBool() ? "<true/>" : "<false/>");
            return true;
        case QMetaType::Int:
        case QMetaType::Short:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::SChar:
        case QMetaType::Char:
            element(depth, "integer", QByteArray::number(value.toLongLong()));
            return true;
        case QMetaType::UInt:
        case QMetaType::UShort:
        case QMetaType::ULong:
        case QMetaType::ULongLong:
        case QMetaType::UChar:
            element(depth, "integer", QByteArray::number(value.toULongLong()));
            return true;
        case QMetaType::Double:
        case QMetaType::Float: {
            const double number = value.toDouble();
            QByteArray text;
            if (std::isnan(number))
                text = "nan";
            else if (std::isinf(number))
                text = number > 0 ? "inf" : "-inf";
            else
                text = QByteArray::number(number, 'g', QLocale::FloatingPointShortest);
            element(depth, "real", text);
            return true;
        }
        case QMetaType::QString:
            return string(depth, "string", value.toString());
        case QMetaType::QByteArray:
            element(depth, "data", value.toByteArray().toBase64());
            return true;
        case QMetaType::QDateTime: {
            const QDateTime date = value.toDateTime();
            if (!date.isValid())
                return refuse(QStringLiteral("invalid date"));
            // The XML form keeps whole seconds.
            const qint64 msecs = date.toMSecsSinceEpoch();
            const QDateTime whole = QDateTime::fromSecsSinceEpoch(msecs >= 0 ? msecs / 1000 : -((-msecs + 999) / 1000), Qt::UTC);
            // The text form has four-digit years of the common era only.
            if (whole.date().year() < 1 || whole.date().year() > 9999)
                return refuse(QStringLiteral("date %1 cannot be written in the XML form").arg(whole.toString(Qt::ISODate)));
            element(depth, "date", whole.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ")).toLatin1());
            return true;
        }
        case QMetaType::QStringList:
        case QMetaType::QVariantList: {
            const QVariantList list = value.toList();
            if (list.isEmpty()) {
                line(depth, "<array/>");
                return true;
            }
            line(depth, "<array>");
            for (const QVariant& item : list) {
                if (!this->value(item, depth + 1))
                    return false;
            }
            line(depth, "</array>");
            return true;
        }
        case QMetaType::QVariantMap:
            return dict(value.toMap().asKeyValueRange(), depth);
        case QMetaType::QVariantHash: {
            const QVariantMap sorted = sortedMap(value.toHash());
            return dict(sorted.asKeyValueRange(), depth);
        }
        default:
            break;
        }
        return refuse(unsupportedValueMessage(value));
    }

    QByteArray out_;
    QString message_;
};

} // namespace

std::optional<QVariant> parseXml(const QByteArray& data, QString* error)
{
    return XmlReader(data).read(error);
}

QByteArray writeXml(const QVariant& root, QString* error)
{
    return XmlWriter().write(root, error);
}

} // namespace vantel::platform::PropertyList::detail
