#pragma once

#include <QString>

// GLib's own declaration, repeated so this header needs no GLib include.
typedef struct _GError GError;

namespace vantel::platform {

// Why a call failed, in words for an alert and in the user's language. The C
// library's texts follow its locale, which a German desktop need not have
// generated, so the common causes have texts of Vantel's own (permission,
// missing, no space, read-only, not a folder, is a folder, a loop of links,
// an input/output error); any other is the system's own text as a detail.
QString reasonForErrno(int error);

// The same for a GLib error: by its domain and code where they name one of
// those causes, else its message as a detail.
QString reasonForGError(const GError* error);

} // namespace vantel::platform
