#pragma once

#include <gio/gio.h>

#include <memory>
#include <string>

// Owning handles for what GLib hands out, so that every early return frees it.
namespace quillo::gio {

struct GFreeDeleter {
  void operator()(void* text) const { g_free(text); }
};
struct StrvDeleter {
  void operator()(gchar** list) const { g_strfreev(list); }
};
struct KeyFileDeleter {
  void operator()(GKeyFile* file) const { g_key_file_unref(file); }
};
struct ErrorDeleter {
  void operator()(GError* error) const { g_error_free(error); }
};
struct ObjectDeleter {
  void operator()(gpointer object) const { g_object_unref(object); }
};
struct VariantDeleter {
  void operator()(GVariant* value) const { g_variant_unref(value); }
};

using GText = std::unique_ptr<gchar, GFreeDeleter>;
using GStrv = std::unique_ptr<gchar*, StrvDeleter>;
using KeyFile = std::unique_ptr<GKeyFile, KeyFileDeleter>;
using Error = std::unique_ptr<GError, ErrorDeleter>;
template <class T>
using Object = std::unique_ptr<T, ObjectDeleter>;
using Variant = std::unique_ptr<GVariant, VariantDeleter>;

// The message of a GLib error, taking it over; `fallback` without one.
inline std::string messageOf(GError* error, const std::string& fallback) {
  const Error owned(error);
  return owned && owned->message ? owned->message : fallback;
}

// A GLib string taken over: empty for null.
inline std::string take(gchar* text) {
  const GText owned(text);
  return owned ? std::string(owned.get()) : std::string();
}

}  // namespace quillo::gio
