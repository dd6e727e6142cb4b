#pragma once

#include <QList>
#include <QString>

#include <functional>

namespace vantel::platform {

// Alerts about what was found while loading the user's files (a damaged file
// kept aside, a file refused, a folder that can't be written). Loading runs
// inside shared-instance initialisers and the launch sequence, where a modal
// alert must not run: reports are queued and shown once the launch sequence
// has ended, each text once. After that, a report is shown from the main
// queue, never from inside the caller. Thread-safe.
namespace LoadAlerts {

struct Alert {
    QString messageText;
    QString informativeText;
    bool operator==(const Alert&) const = default;
};

// Queues the alert; an alert already reported in this process is dropped.
// `whenShown` runs on the main thread as the alert goes on screen: what must
// be told again at the next start until the user saw it.
void report(const QString& messageText, const QString& informativeText, std::function<void()> whenShown = {});

// What is queued and not yet shown.
QList<Alert> pending();

// Shows and clears what is queued, on the calling (main) thread. From then
// on every report is shown from the main queue.
void showPending();

// The end of the launch sequence: what is queued is shown from the main
// queue once the sequence has returned.
void launchEnded();

// Forgets everything reported and queues again (tests).
void reset();

} // namespace LoadAlerts

} // namespace vantel::platform
