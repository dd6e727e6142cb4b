#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace vantel::platform {

// The translation table of the preferred language: "<lang>.lproj/
// Localizable.strings" in a resources folder ("key" = "value"; lines with
// C-style comments, UTF-8 or UTF-16 with a byte order mark).
class LocalizedStrings {
public:
    // The main bundle's resources and the user's preferred languages.
    static const LocalizedStrings& main();

    // The table of the language Bundle::localizationFolders chooses; none
    // (the English texts) when English comes first or no language is had.
    LocalizedStrings(const QString& resourcePath, const QStringList& preferredLanguages);

    // The translation of the key, or the fallback when the table lacks it.
    QString localizedString(const QString& key, const QString& fallback) const;
    // The language whose table was loaded; empty when none was found.
    QString language() const { return language_; }

    // None when the text is not a strings table.
    static std::optional<QHash<QString, QString>> parse(const QByteArray& data);

private:
    QString language_;
    QHash<QString, QString> table_;
};

// A text of the windows (labels, buttons, menus, tool tips, alerts): its
// English wording (UTF-8) is its key in the same table and its fallback.
// Here below every layer, so that what the platform itself tells the user
// (the alerts of loading its files) speaks the same language.
QString localized(const char* english);

// Marks an English text that is looked up with localized() elsewhere (a
// table of titles, say), so the check of the tables finds it.
constexpr const char* localizable(const char* english)
{
    return english;
}

} // namespace vantel::platform
