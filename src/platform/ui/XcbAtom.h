#pragma once

#include <xcb/xcb.h>

namespace vantel::platform {

// The atom of `name` on the connection, made when missing; XCB_ATOM_NONE
// where the server does not answer.
xcb_atom_t internAtom(xcb_connection_t* connection, const char* name);

} // namespace vantel::platform
