#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace vantel {

class DataStorage;

// The tags a first run files the well-known applications under, so a new
// user sees a useful tag tree at once. A key is either a full bundle path or
// a freedesktop desktop ID ("org.gnome.Calculator.desktop"), which matches an
// application entry found in any search scope. Only entries already in the
// catalogue are tagged. The data store decides when this runs.
class FirstRunConfig {
public:
    // Key (path or desktop ID) to tag name.
    const QHash<QString, QString>& predefinedAppTag() const { return predefinedAppTag_; }
    void setPredefinedAppTag(const QHash<QString, QString>& table) { predefinedAppTag_ = table; }

    // Empties the table and enters the presets.
    void fillPredefinedAppTag();
    // Tags the matching entries of the store, then rebuilds it ("First run").
    // `searchScopes` are the folders whose desktop entries are known by their ID.
    void applyPredefinedTags(DataStorage& store, const QStringList& searchScopes);

    // The desktop ID of an entry's path: relative to the scope that holds it,
    // with "/" turned into "-"; the file name for a path outside every scope.
    static QString desktopID(const QString& path, const QStringList& searchScopes);

    // Makes the store run the presets on a first run, over the application
    // delegate's search scopes.
    static void install(DataStorage& store);

private:
    QHash<QString, QString> predefinedAppTag_;
};

} // namespace vantel
