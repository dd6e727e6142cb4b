#include "platform/DisplayProbe.h"

#include "platform/LocalizedStrings.h"

#include <QFile>

#include <xcb/xcb.h>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace vantel::platform {

namespace {

// Qt takes "--platform" for "-platform", and so on.
QString optionName(const QString& argument)
{
    return argument.startsWith(QStringLiteral("--")) ? argument.mid(1) : argument;
}

// Whether something accepts connections on the Unix socket at `path`.
bool acceptsConnections(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    if (name.isEmpty() || std::size_t(name.size()) >= sizeof(address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    // A full backlog (EAGAIN) still is a listening compositor.
    const bool accepted = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0
        || errno == EAGAIN || errno == EINPROGRESS;
    ::close(fd);
    return accepted;
}

} // namespace

DisplayProbe::DisplayProbe(const QStringList& arguments, const QProcessEnvironment& environment)
    : environment_(environment)
{
    QString platformArgument;
    for (qsizetype i = 1; i + 1 < arguments.size(); ++i) {
        const QString option = optionName(arguments.at(i));
        if (option == QStringLiteral("-platform"))
            platformArgument = arguments.at(++i);
        else if (option == QStringLiteral("-display"))
            displayArgument_ = arguments.at(++i);
    }
    QString names = platformArgument;
    if (names.isEmpty())
        names = environment_.value(QStringLiteral("QT_QPA_PLATFORM"));
    if (names.isEmpty()) {
        if (environment_.contains(QStringLiteral("WAYLAND_DISPLAY"))
            || environment_.value(QStringLiteral("XDG_SESSION_TYPE")) == QStringLiteral("wayland"))
            platforms_ << QStringLiteral("wayland");
        platforms_ << QStringLiteral("xcb");
        return;
    }
    for (const QString& name : names.split(u';', Qt::SkipEmptyParts)) {
        // "name:option=value" passes options to the plugin.
        const QString plugin = name.section(u':', 0, 0).trimmed();
        if (!plugin.isEmpty())
            platforms_ << plugin;
    }
}

std::optional<QString> DisplayProbe::unreachableReason() const
{
    QStringList reasons;
    for (const QString& platform : platforms_) {
        std::optional<QString> reason;
        if (platform == QStringLiteral("xcb"))
            reason = xReason();
        else if (platform.startsWith(QStringLiteral("wayland")))
            reason = waylandReason();
        if (!reason)
            return std::nullopt;
        if (!reasons.contains(*reason))
            reasons << *reason;
    }
    if (reasons.isEmpty())
        return std::nullopt;
    return reasons.join(QStringLiteral("; "));
}

std::optional<QString> DisplayProbe::xReason() const
{
    const QString display =
        displayArgument_.isEmpty() ? environment_.value(QStringLiteral("DISPLAY")) : displayArgument_;
    if (display.isEmpty())
        return localized("DISPLAY is not set");
    // The server's own answer, authorization included, as Qt will get it.
    xcb_connection_t* connection = xcb_connect(display.toLocal8Bit().constData(), nullptr);
    const bool failed = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    if (failed)
        return localized("no X server answers at %1").arg(display);
    return std::nullopt;
}

std::optional<QString> DisplayProbe::waylandReason() const
{
    // A socket the parent handed down, already connected.
    if (!environment_.value(QStringLiteral("WAYLAND_SOCKET")).isEmpty())
        return std::nullopt;
    QString name = environment_.value(QStringLiteral("WAYLAND_DISPLAY"));
    if (name.isEmpty())
        name = QStringLiteral("wayland-0");
    QString path = name;
    if (!name.startsWith(u'/')) {
        const QString runtime = environment_.value(QStringLiteral("XDG_RUNTIME_DIR"));
        path = runtime.isEmpty() ? QString() : runtime + u'/' + name;
    }
    if (path.isEmpty() || !acceptsConnections(path))
        return localized("no Wayland compositor answers at %1").arg(path.isEmpty() ? name : path);
    return std::nullopt;
}

} // namespace vantel::platform
