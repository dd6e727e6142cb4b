#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>

namespace vantel::platform {

enum class LogType { Default, Info, Error, Fault };

// One area of the program's log. Its Qt category is named
// "<subsystem>.<name>", so Qt's filter rules (QT_LOGGING_RULES) can silence
// it. Meant to be created once, e.g. as a function-local static.
class LogCategory {
public:
    explicit LogCategory(const char* name);
    LogCategory(const LogCategory&) = delete;
    LogCategory& operator=(const LogCategory&) = delete;

    QString name() const;
    const QLoggingCategory& qtCategory() const;

private:
    QString name_;
    QByteArray qtName_; // must outlive qtCategory_, which keeps the pointer
    QLoggingCategory qtCategory_;
};

} // namespace vantel::platform
