#pragma once

namespace vantel {

// The kinds of the program's windows, as the core names them when it asks
// for one; the catalogue of the shell (VantelWindowEnum) opens them.
struct WindowKind {
    enum Kind {
        main,
        config,
        settings,
        info,
        firstRun,
        tags,
        versionHistory,
        addOrModifyURL,
        versionedBackup,
        hotkeyOverview,
    };
};

} // namespace vantel
