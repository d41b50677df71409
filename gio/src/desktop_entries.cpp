#include <algorithm>

#include "desktop_entry_files.h"
#include "glib_handles.h"
#include "quillo/gio/gio_library.h"

namespace quillo::gio {
namespace {

constexpr const char* kGroup = G_KEY_FILE_DESKTOP_GROUP;

// What stops an entry from being listed: nothing, a rule of the desktop (quietly), or a fault
// of the file (with a warning).
struct Refusal {
  std::string warning;  // empty: left out quietly
};

bool flag(GKeyFile* file, const char* key) {
  return g_key_file_get_boolean(file, kGroup, key, nullptr) == TRUE;
}

std::vector<std::string> list(GKeyFile* file, const char* group, const char* key, const char* locale) {
  const GStrv values(locale ? g_key_file_get_locale_string_list(file, group, key, locale, nullptr, nullptr)
                            : g_key_file_get_string_list(file, group, key, nullptr, nullptr));
  std::vector<std::string> result;
  for (gchar** value = values.get(); value && *value; ++value) {
    if (**value != '\0') result.emplace_back(*value);
  }
  return result;
}

std::string localised(GKeyFile* file, const char* group, const char* key, const char* locale) {
  return take(g_key_file_get_locale_string(file, group, key, locale, nullptr));
}

// The first of the session's desktops that either list names decides; with OnlyShowIn and no
// desktop named, the entry is for other desktops.
bool shownIn(GKeyFile* file, const std::vector<std::string>& desktops) {
  const auto only = list(file, kGroup, G_KEY_FILE_DESKTOP_KEY_ONLY_SHOW_IN, nullptr);
  const auto never = list(file, kGroup, G_KEY_FILE_DESKTOP_KEY_NOT_SHOW_IN, nullptr);
  const auto names = [](const std::vector<std::string>& names, const std::string& desktop) {
    return std::find(names.begin(), names.end(), desktop) != names.end();
  };
  for (const std::string& desktop : desktops) {
    if (names(only, desktop)) return true;
    if (names(never, desktop)) return false;
  }
  return only.empty();
}

std::optional<Refusal> refusal(GKeyFile* file, const DesktopEntryOptions& options) {
  if (!g_key_file_has_group(file, kGroup)) return Refusal{"no [Desktop Entry] group"};
  if (take(g_key_file_get_string(file, kGroup, G_KEY_FILE_DESKTOP_KEY_TYPE, nullptr)) !=
      G_KEY_FILE_DESKTOP_TYPE_APPLICATION)
    return Refusal{};
  if (!g_key_file_has_key(file, kGroup, G_KEY_FILE_DESKTOP_KEY_NAME, nullptr)) return Refusal{"no Name"};
  if (!g_key_file_has_key(file, kGroup, G_KEY_FILE_DESKTOP_KEY_EXEC, nullptr) &&
      !flag(file, G_KEY_FILE_DESKTOP_KEY_DBUS_ACTIVATABLE))
    return Refusal{"no Exec"};
  if (flag(file, G_KEY_FILE_DESKTOP_KEY_HIDDEN) || flag(file, G_KEY_FILE_DESKTOP_KEY_NO_DISPLAY) ||
      !shownIn(file, options.currentDesktops))
    return Refusal{};
  return std::nullopt;
}

// GIO's own test of whether an entry can start: its TryExec program, else its Exec program, must
// be found (on PATH or as an absolute path). Done here rather than through a GDesktopAppInfo per
// entry, which would read every translated text a second time.
bool canStart(GKeyFile* file) {
  std::string program = take(g_key_file_get_string(file, kGroup, G_KEY_FILE_DESKTOP_KEY_TRY_EXEC, nullptr));
  if (program.empty()) {
    const std::string exec = take(g_key_file_get_string(file, kGroup, G_KEY_FILE_DESKTOP_KEY_EXEC, nullptr));
    if (exec.empty()) return true;  // started over D-Bus
    gchar** words = nullptr;
    if (!g_shell_parse_argv(exec.c_str(), nullptr, &words, nullptr)) return false;
    const GStrv owned(words);
    program = owned.get()[0];
  }
  return GText(g_find_program_in_path(program.c_str())) != nullptr;
}

std::vector<core::DesktopAction> actions(GKeyFile* file, const char* locale) {
  std::vector<core::DesktopAction> result;
  for (const std::string& id : list(file, kGroup, G_KEY_FILE_DESKTOP_KEY_ACTIONS, nullptr)) {
    const std::string group = "Desktop Action " + id;
    std::string name = localised(file, group.c_str(), G_KEY_FILE_DESKTOP_KEY_NAME, locale);
    if (!name.empty()) result.push_back({id, std::move(name)});
  }
  return result;
}

}  // namespace

DesktopEntries readDesktopEntries(const DesktopEntryOptions& options) {
  DesktopEntries entries;
  const char* locale = options.locale.empty() ? "C" : options.locale.c_str();
  for (const DesktopEntryFile& entryFile : desktopEntryFiles(options.folders)) {
    const KeyFile file(g_key_file_new());
    // Translations for a locale other than the process's are kept only when asked for.
    GError* error = nullptr;
    if (!g_key_file_load_from_file(file.get(), entryFile.path.c_str(), G_KEY_FILE_KEEP_TRANSLATIONS,
                                   &error)) {
      entries.warnings.push_back(entryFile.path.string() + ": " + messageOf(error, "not a desktop entry"));
      continue;
    }
    if (const auto refused = refusal(file.get(), options)) {
      if (!refused->warning.empty())
        entries.warnings.push_back(entryFile.path.string() + ": " + refused->warning);
      continue;
    }
    // A missing program leaves the entry out quietly: the package that had it is gone.
    if (!canStart(file.get())) continue;
    entries.applications.push_back(core::DesktopApplication{
        .id = entryFile.id,
        .path = entryFile.path,
        .name = localised(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_NAME, locale),
        .genericName = localised(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_GENERIC_NAME, locale),
        .comment = localised(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_COMMENT, locale),
        .keywords = list(file.get(), kGroup, "Keywords", locale),
        .icon = localised(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_ICON, locale),
        .categories = list(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_CATEGORIES, nullptr),
        .actions = actions(file.get(), locale),
    });
  }
  return entries;
}

}  // namespace quillo::gio
