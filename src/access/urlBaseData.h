#pragma once

#include "platform/Archivable.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

namespace vantel {

namespace platform {
class KeyedUnarchiver;
}

// A title and a value (a URL template or a placeholder text), archived under
// "value" and "title". Used from the main thread.
class urlBaseData : public platform::Archivable {
public:
    urlBaseData(QString title, QString value);
    urlBaseData() = delete;

    const QString keyNameValue = QStringLiteral("value");
    const QString keyNameTitle = QStringLiteral("title");

    QString title() const { return title_; }
    void setTitle(const QString& title) { title_ = title; }
    QString value() const { return value_; }
    void setValue(const QString& value) { value_ = value; }

    static QString archiveName();
    QString archiveClassName() const override;
    QStringList archiveClassChain() const override;
    void encode(platform::KeyedArchiver& coder) const override;

protected:
    // Title and value of an archived object; none when either is missing, not
    // a string or empty.
    static std::optional<std::pair<QString, QString>> decodeTitleAndValue(platform::KeyedUnarchiver& coder);

private:
    QString title_;
    QString value_;
};

} // namespace vantel
