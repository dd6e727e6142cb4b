#pragma once

#include <QVariant>

namespace vantel {

// Receives files that other programs hand to Vantel: a file manager's "Open
// with Vantel" and a second start with file arguments both arrive here
// through the single-instance socket. The files become the main view's
// waiting files, handed to the next entry the user opens. Main thread.
class ServiceManager {
public:
    // `filenames` is the list of paths as the sender gave it. Anything but a
    // list of strings is ignored.
    void serviceAddFile(const QVariant& filenames);
};

} // namespace vantel
