#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "glib_handles.h"
#include "quillo/gio/gio_library.h"

namespace quillo::gio {
namespace {

// Whether a session bus can be reached without GLib launching one: with neither its address
// nor the user's bus socket, GLib would try to start a bus for X11, which costs more than the
// search it saves.
bool hasSessionBus() {
  if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) return true;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!runtime || !*runtime) return false;
  struct stat info;
  return ::stat((std::string(runtime) + "/bus").c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

}  // namespace

std::optional<std::string> searchFilesInRunningApp(const std::string& query, int limit, int timeoutMs) {
  if (!hasSessionBus()) return std::nullopt;
  GError* failure = nullptr;
  const Object<GDBusConnection> bus(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &failure));
  if (!bus) {
    Error owned(failure);
    return std::nullopt;
  }
  // No auto-start: without the program running, the bus says so at once.
  const Variant reply(g_dbus_connection_call_sync(
      bus.get(), kRunningAppName, kFileSearchPath, kFileSearchInterface, "SearchFiles",
      g_variant_new("(si)", query.c_str(), limit), G_VARIANT_TYPE("(s)"), G_DBUS_CALL_FLAGS_NO_AUTO_START,
      timeoutMs, nullptr, &failure));
  if (!reply) {
    Error owned(failure);
    return std::nullopt;
  }
  const gchar* answer = nullptr;
  g_variant_get(reply.get(), "(&s)", &answer);
  return std::string(answer ? answer : "");
}

}  // namespace quillo::gio
