#pragma once

#include "quillo/gio/gio_library.h"

namespace quillo::cli {

// libquillo-gio.so, loaded only by the commands that list or open applications, so that the
// others start without GLib. Looked for as libquillo-net.so is; stays loaded until the process
// ends. Throws std::runtime_error when it cannot be loaded or does not match.
const gio::LibraryEntry& desktopLibrary();

}  // namespace quillo::cli
