#include "quillo/platform/desktop/gnome_custom_shortcuts.h"

#include <gio/gio.h>

#include <algorithm>
#include <array>
#include <vector>

#include "quillo/platform/desktop/key_names.h"

namespace quillo::platform::desktop {
namespace {

constexpr const char* listSchema = "org.gnome.settings-daemon.plugins.media-keys";
constexpr const char* entrySchema = "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding";
constexpr const char* listKey = "custom-keybindings";

template <typename T>
struct GObjectDeleter {
  void operator()(T* object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPointer = std::unique_ptr<T, GObjectDeleter<T>>;
using SourcePointer = std::unique_ptr<GSettingsSchemaSource, decltype(&g_settings_schema_source_unref)>;
using SchemaPointer = std::unique_ptr<GSettingsSchema, decltype(&g_settings_schema_unref)>;

SourcePointer defaultSource() {
  auto* source = g_settings_schema_source_get_default();
  return {source ? g_settings_schema_source_ref(source) : nullptr, &g_settings_schema_source_unref};
}

SchemaPointer lookup(GSettingsSchemaSource* source, const char* id) {
  return {source ? g_settings_schema_source_lookup(source, id, TRUE) : nullptr, &g_settings_schema_unref};
}

std::vector<std::string> stringList(GSettings* settings, const char* key) {
  gchar** values = g_settings_get_strv(settings, key);
  std::vector<std::string> list;
  for (gchar** value = values; *value; ++value)
    list.emplace_back(*value);
  g_strfreev(values);
  return list;
}

void setStringList(GSettings* settings, const char* key, const std::vector<std::string>& list) {
  std::vector<const gchar*> values;
  for (const auto& value : list)
    values.push_back(value.c_str());
  values.push_back(nullptr);
  g_settings_set_strv(settings, key, values.data());
}

}  // namespace

struct GnomeCustomShortcuts::Settings {
  SourcePointer source{nullptr, &g_settings_schema_source_unref};
  SchemaPointer entry{nullptr, &g_settings_schema_unref};
  GObjectPointer<GSettings> list;
};

std::optional<std::string> gnomeAccelerator(std::uint32_t keyCode, std::uint32_t modifiers) {
  const auto key = keysymNameForMacKey(keyCode);
  if (!key) return std::nullopt;
  std::string accelerator;
  if (modifiers & 0x1000) accelerator += "<Control>";
  if (modifiers & 0x800) accelerator += "<Alt>";
  if (modifiers & 0x200) accelerator += "<Shift>";
  if (modifiers & 0x100) accelerator += "<Super>";
  return accelerator + *key;
}

namespace {

// Where each of our entries lives, and what it says in GNOME's settings.
struct Entry {
  const char* path;
  const char* name;
  const char* argument;
};
constexpr std::array<Entry, 2> entries{{
    {"/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/quillo-toggle/",
     "Quillo: show or hide the launcher", "--toggle"},
    {"/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/quillo-clipboard/",
     "Quillo: clipboard history", "--clipboard"},
}};

}  // namespace

GnomeCustomShortcuts::GnomeCustomShortcuts(std::string program,
                                           std::optional<std::filesystem::path> schemaDirectory)
    : program_(std::move(program)), settings_(std::make_unique<Settings>()) {
  if (schemaDirectory) {
    settings_->source.reset(
        g_settings_schema_source_new_from_directory(schemaDirectory->c_str(), nullptr, FALSE, nullptr));
  } else {
    settings_->source = defaultSource();
  }
  auto list = lookup(settings_->source.get(), listSchema);
  settings_->entry = lookup(settings_->source.get(), entrySchema);
  if (!list || !settings_->entry || !g_settings_schema_has_key(list.get(), listKey))
    throw GnomeShortcutsError("GNOME's keyboard shortcut settings are not installed here (the schema " +
                              std::string(listSchema) +
                              " is missing), so Quillo cannot add its shortcuts to them.");
  settings_->list.reset(g_settings_new_full(list.get(), nullptr, nullptr));
}

GnomeCustomShortcuts::~GnomeCustomShortcuts() = default;

bool GnomeCustomShortcuts::available() {
  const auto source = defaultSource();
  return lookup(source.get(), listSchema) && lookup(source.get(), entrySchema);
}

bool GnomeCustomShortcuts::installed() {
  const auto source = defaultSource();
  const auto schema = lookup(source.get(), listSchema);
  if (!schema) return false;
  const GObjectPointer<GSettings> list(g_settings_new_full(schema.get(), nullptr, nullptr));
  const auto paths = stringList(list.get(), listKey);
  return std::any_of(entries.begin(), entries.end(), [&](const Entry& entry) {
    return std::find(paths.begin(), paths.end(), entry.path) != paths.end();
  });
}

std::optional<GnomeCustomShortcuts::Command> GnomeCustomShortcuts::freeCommand() const {
  const auto taken = [this](Command command) {
    return std::any_of(live_.begin(), live_.end(), [&](const auto& live) { return live.second == command; });
  };
  if (lastReleased_ && !taken(*lastReleased_)) return lastReleased_;
  for (const auto command : {Command::toggle, Command::clipboard})
    if (!taken(command)) return command;
  return std::nullopt;
}

std::optional<HotKeys::Reference> GnomeCustomShortcuts::registerHotKey(std::uint32_t keyCode,
                                                                       std::uint32_t modifiers,
                                                                       std::uint32_t) {
  const auto accelerator = gnomeAccelerator(keyCode, modifiers);
  const auto command = freeCommand();
  if (!accelerator || !command) return std::nullopt;
  write(*command, *accelerator);
  const Reference reference = next_++;
  live_[reference] = *command;
  return reference;
}

void GnomeCustomShortcuts::unregisterHotKey(Reference reference) {
  const auto found = live_.find(reference);
  if (found == live_.end()) return;
  remove(found->second);
  lastReleased_ = found->second;
  live_.erase(found);
}

void GnomeCustomShortcuts::write(Command command, const std::string& accelerator) {
  const auto& entry = entries[static_cast<std::size_t>(command)];
  const GObjectPointer<GSettings> settings(g_settings_new_full(settings_->entry.get(), nullptr, entry.path));
  g_settings_set_string(settings.get(), "name", entry.name);
  g_settings_set_string(settings.get(), "command", (program_ + " " + entry.argument).c_str());
  g_settings_set_string(settings.get(), "binding", accelerator.c_str());
  auto paths = stringList(settings_->list.get(), listKey);
  if (std::find(paths.begin(), paths.end(), entry.path) == paths.end()) {
    paths.emplace_back(entry.path);
    setStringList(settings_->list.get(), listKey, paths);
  }
  g_settings_sync();
}

void GnomeCustomShortcuts::remove(Command command) {
  const auto& entry = entries[static_cast<std::size_t>(command)];
  auto paths = stringList(settings_->list.get(), listKey);
  paths.erase(std::remove(paths.begin(), paths.end(), entry.path), paths.end());
  setStringList(settings_->list.get(), listKey, paths);
  const GObjectPointer<GSettings> settings(g_settings_new_full(settings_->entry.get(), nullptr, entry.path));
  for (const char* key : {"name", "command", "binding"})
    g_settings_reset(settings.get(), key);
  g_settings_sync();
}

}  // namespace quillo::platform::desktop
