#include "platform/LocalizedStrings.h"

#include "platform/Bundle.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStringDecoder>

namespace vantel::platform {

namespace {

QString decode(const QByteArray& data)
{
    if (data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(data.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        return decoder(data.mid(2));
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    return decoder(data.startsWith("\xEF\xBB\xBF") ? data.mid(3) : data);
}

class Parser {
public:
    explicit Parser(QString text) : text_(std::move(text)) {}

    std::optional<QHash<QString, QString>> run()
    {
        QHash<QString, QString> table;
        while (true) {
            if (!skipSpaceAndComments())
                return std::nullopt;
            if (pos_ >= text_.size())
                return table;
            const auto key = quoted();
            if (!key || !skipSpaceAndComments() || !expect(QLatin1Char('=')) || !skipSpaceAndComments())
                return std::nullopt;
            const auto value = quoted();
            if (!value || !skipSpaceAndComments() || !expect(QLatin1Char(';')))
                return std::nullopt;
            table.insert(*key, *value);
        }
    }

private:
    bool skipSpaceAndComments()
    {
        while (pos_ < text_.size()) {
            if (text_.at(pos_).isSpace()) {
                ++pos_;
            } else if (text_.mid(pos_, 2) == QLatin1String("/*")) {
                const qsizetype end = text_.indexOf(QLatin1String("*/"), pos_ + 2);
                if (end < 0)
                    return false;
                pos_ = end + 2;
            } else if (text_.mid(pos_, 2) == QLatin1String("//")) {
                const qsizetype end = text_.indexOf(QLatin1Char('\n'), pos_);
                pos_ = end < 0 ? text_.size() : end + 1;
            } else {
                break;
            }
        }
        return true;
    }

    bool expect(QChar c)
    {
        if (pos_ >= text_.size() || text_.at(pos_) != c)
            return false;
        ++pos_;
        return true;
    }

    std::optional<QString> quoted()
    {
        if (!expect(QLatin1Char('"')))
            return std::nullopt;
        QString result;
        while (pos_ < text_.size()) {
            const QChar c = text_.at(pos_++);
            if (c == QLatin1Char('"'))
                return result;
            if (c != QLatin1Char('\\')) {
                result.append(c);
                continue;
            }
            if (pos_ >= text_.size())
                return std::nullopt;
            const QChar escaped = text_.at(pos_++);
            switch (escaped.unicode()) {
            case 'n': result.append(QLatin1Char('\n')); break;
            case 't': result.append(QLatin1Char('\t')); break;
            case 'r': result.append(QLatin1Char('\r')); break;
            case 'U':
            case 'u': {
                bool ok = false;
                const uint code = text_.mid(pos_, 4).toUInt(&ok, 16);
                if (!ok)
                    return std::nullopt;
                result.append(QChar(static_cast<char16_t>(code)));
                pos_ += 4;
                break;
            }
            default: result.append(escaped); break;
            }
        }
        return std::nullopt;
    }

    QString text_;
    qsizetype pos_ = 0;
};

} // namespace

const LocalizedStrings& LocalizedStrings::main()
{
    static const LocalizedStrings instance(Bundle::main().resourcePath(), Bundle::userLanguages());
    return instance;
}

LocalizedStrings::LocalizedStrings(const QString& resourcePath, const QStringList& preferredLanguages)
{
    // The documents' rule: a language listed after English never wins, and a
    // language without a table falls back to the built-in English texts.
    for (const QString& folder : Bundle::localizationFolders(resourcePath, preferredLanguages)) {
        QFile file(folder + QLatin1String("/Localizable.strings"));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        if (auto table = parse(file.readAll())) {
            language_ = QFileInfo(folder).completeBaseName();
            table_ = std::move(*table);
            return;
        }
    }
}

QString LocalizedStrings::localizedString(const QString& key, const QString& fallback) const
{
    const auto it = table_.constFind(key);
    return it == table_.cend() ? fallback : it.value();
}

QString localized(const char* english)
{
    const QString text = QString::fromUtf8(english);
    return LocalizedStrings::main().localizedString(text, text);
}

std::optional<QHash<QString, QString>> LocalizedStrings::parse(const QByteArray& data)
{
    return Parser(decode(data)).run();
}

} // namespace vantel::platform
