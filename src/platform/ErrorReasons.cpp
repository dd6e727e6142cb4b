#include "platform/ErrorReasons.h"

#include "platform/LocalizedStrings.h"

#include <cerrno>
#include <cstring>
#include <optional>

// GLib names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

namespace vantel::platform {

namespace {

std::optional<QString> ownText(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return localized("Permission denied");
    case ENOENT:
        return localized("No such file or folder");
    case ENOSPC:
        return localized("No space left on the drive");
    case EROFS:
        return localized("The drive is read-only");
    case ENOTDIR:
        return localized("Not a folder");
    case EISDIR:
        return localized("Is a folder");
    case ELOOP:
        return localized("Too many symbolic links in a row, or links in a loop");
    case EIO:
        return localized("Input/output error");
    default:
        return std::nullopt;
    }
}

QString systemDetail(const QString& systemText)
{
    return localized("System error: %1").arg(systemText);
}

// The error number a GLib error stands for, or 0 when it names none of ours.
int errnoOf(const GError& error)
{
    if (error.domain == G_IO_ERROR) {
        switch (error.code) {
        case G_IO_ERROR_PERMISSION_DENIED: return EACCES;
        case G_IO_ERROR_NOT_FOUND: return ENOENT;
        case G_IO_ERROR_NO_SPACE: return ENOSPC;
        case G_IO_ERROR_READ_ONLY: return EROFS;
        case G_IO_ERROR_NOT_DIRECTORY: return ENOTDIR;
        case G_IO_ERROR_IS_DIRECTORY: return EISDIR;
        case G_IO_ERROR_TOO_MANY_LINKS: return ELOOP;
        default: return 0;
        }
    }
    if (error.domain == G_FILE_ERROR) {
        switch (error.code) {
        case G_FILE_ERROR_ACCES: return EACCES;
        case G_FILE_ERROR_PERM: return EPERM;
        case G_FILE_ERROR_NOENT: return ENOENT;
        case G_FILE_ERROR_NOSPC: return ENOSPC;
        case G_FILE_ERROR_ROFS: return EROFS;
        case G_FILE_ERROR_NOTDIR: return ENOTDIR;
        case G_FILE_ERROR_ISDIR: return EISDIR;
        case G_FILE_ERROR_LOOP: return ELOOP;
        case G_FILE_ERROR_IO: return EIO;
        default: return 0;
        }
    }
    if (error.domain == G_SPAWN_ERROR) {
        switch (error.code) {
        case G_SPAWN_ERROR_ACCES: return EACCES;
        case G_SPAWN_ERROR_PERM: return EPERM;
        case G_SPAWN_ERROR_NOENT: return ENOENT;
        case G_SPAWN_ERROR_NOTDIR: return ENOTDIR;
        case G_SPAWN_ERROR_ISDIR: return EISDIR;
        case G_SPAWN_ERROR_LOOP: return ELOOP;
        case G_SPAWN_ERROR_IO: return EIO;
        default: return 0;
        }
    }
    return 0;
}

} // namespace

QString reasonForErrno(int error)
{
    if (const std::optional<QString> own = ownText(error))
        return *own;
    return systemDetail(QString::fromLocal8Bit(std::strerror(error)));
}

QString reasonForGError(const GError* error)
{
    if (!error)
        return {};
    if (const std::optional<QString> own = ownText(errnoOf(*error)))
        return *own;
    return systemDetail(QString::fromUtf8(error->message));
}

} // namespace vantel::platform
