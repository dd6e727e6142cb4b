#pragma once

#include "platform/Published.h"

#include <QString>
#include <QStringList>

namespace vantel {

class DataStorage;

// Brings the user's shortcuts into the catalogue: a command-line tool lists
// them by name, one a line, and each becomes a URL entry that runs it. Entries
// of shortcuts no longer listed go to the trash. Main thread; the tool runs
// synchronously.
class Shortcuts {
public:
    // The program's instance, on the program's store and the system's tool.
    static Shortcuts& shared();

    explicit Shortcuts(DataStorage& store, const QString& command = QStringLiteral("/usr/bin/shortcuts"));
    Shortcuts(const Shortcuts&) = delete;
    Shortcuts& operator=(const Shortcuts&) = delete;

    const QString shortcutCommand;
    const QString shortcutArgs = QStringLiteral("list");
    // The names the last successful listing gave.
    platform::Published<QStringList> shortcutsComplete;

    static const QString runURLPrefix;

    void importShortcuts();
    void addShortcutToDatabase(const QString& name);
    void endShortcutImportToDatabase();

private:
    DataStorage& store_;
};

} // namespace vantel
