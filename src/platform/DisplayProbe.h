#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

namespace vantel::platform {

// Whether the window system Qt will pick for this start can be reached, asked
// before the GUI application exists: Qt aborts the process when no platform
// plugin finds its display, and a start from a text console, an ssh session
// or cron has none.
//
// The plugins are the ones Qt tries, in its order: the `-platform` argument,
// else QT_QPA_PLATFORM (a list separated by ";"), else Wayland (when
// WAYLAND_DISPLAY is set or the session is a Wayland one) and then X. X is
// reachable when its server accepts a connection at `-display` or DISPLAY,
// Wayland when its compositor's socket accepts one. Any other plugin
// (offscreen, minimal, vnc, the framebuffer ones) needs no display of the
// user's and counts as reachable; so a wrong answer can only be a yes that
// Qt then refuses, never a no where Qt would have started.
class DisplayProbe {
public:
    // `arguments` are the program's (the program itself first).
    DisplayProbe(const QStringList& arguments, const QProcessEnvironment& environment);

    // The plugin names Qt tries, in order.
    QStringList platforms() const { return platforms_; }

    // None when one of the plugins can start; else why none can, in the
    // user's language (each plugin's reason, joined by "; ").
    std::optional<QString> unreachableReason() const;

private:
    std::optional<QString> xReason() const;
    std::optional<QString> waylandReason() const;

    QProcessEnvironment environment_;
    QStringList platforms_;
    QString displayArgument_;
};

} // namespace vantel::platform
