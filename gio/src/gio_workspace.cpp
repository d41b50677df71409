#include <gio/gdesktopappinfo.h>

#include <filesystem>

#include "desktop_entry_files.h"
#include "glib_handles.h"
#include "quillo/gio/gio_library.h"

namespace quillo::gio {
namespace {

namespace fs = std::filesystem;
using platform::WorkspaceError;

constexpr int kShowItemsTimeoutMs = 2000;

class GioWorkspace final : public platform::Workspace {
 public:
  explicit GioWorkspace(WorkspaceOptions options) : options_(std::move(options)) {}

  std::vector<platform::RunningApplication> runningApplications() override { return {}; }

  std::string resolvedPath(const std::string& path) override {
    std::error_code error;
    const fs::path resolved = fs::canonical(path, error);
    return error ? path : resolved.string();
  }

  platform::ProcessID openInBackground(const std::string& path) override {
    throw WorkspaceError(path + " is not an application bundle this system can open.");
  }

  void openApplication(const std::string& application) override {
    const Object<GDesktopAppInfo> info = appInfo(application);
    const Object<GAppLaunchContext> context = launchContext(info.get());
    GError* error = nullptr;
    if (!g_desktop_app_info_launch_uris_as_manager(info.get(), nullptr, context.get(), G_SPAWN_SEARCH_PATH,
                                                   nullptr, nullptr, nullptr, nullptr, &error)) {
      throw WorkspaceError(messageOf(error, application + " did not start."));
    }
  }

  void openApplicationAction(const std::string& application, const std::string& action) override {
    const Object<GDesktopAppInfo> info = appInfo(application);
    if (!hasAction(info.get(), action)) throw WorkspaceError(application + " has no action " + action + ".");
    const Object<GAppLaunchContext> context = launchContext(info.get());
    // GIO reports no failure of an action's launch; it logs it.
    g_desktop_app_info_launch_action(info.get(), action.c_str(), context.get());
  }

  void openURL(const std::string& url) override {
    const Object<GAppLaunchContext> context = launchContext(nullptr);
    GError* error = nullptr;
    if (!g_app_info_launch_default_for_uri(url.c_str(), context.get(), &error))
      throw WorkspaceError(messageOf(error, url + " did not open."));
  }

  void openFile(const std::string& path) override {
    const Object<GFile> file(g_file_new_for_path(path.c_str()));
    openURL(take(g_file_get_uri(file.get())));
  }

  void revealFile(const std::string& path) override {
    if (showItem(path)) return;
    openFile(fs::path(path).parent_path().string());
  }

 private:
  Object<GDesktopAppInfo> appInfo(const std::string& application) const {
    std::optional<fs::path> path;
    if (fs::path(application).is_absolute()) {
      path = application;
    } else {
      path = desktopEntryFile(options_.folders, application);
    }
    if (!path) throw WorkspaceError("No application has the id " + application + ".");
    Object<GDesktopAppInfo> info(g_desktop_app_info_new_from_filename(path->c_str()));
    if (!info) throw WorkspaceError(path->string() + " is not an application this desktop can start.");
    return info;
  }

  static bool hasAction(GDesktopAppInfo* info, const std::string& action) {
    for (const gchar* const* id = g_desktop_app_info_list_actions(info); id && *id; ++id) {
      if (action == *id) return true;
    }
    return false;
  }

  // A launch context that hands the application the session's environment, less what this
  // program set for itself, and the desktop's activation token when the entry asks for one.
  Object<GAppLaunchContext> launchContext(GDesktopAppInfo* info) const {
    Object<GAppLaunchContext> context(g_app_launch_context_new());
    if (!options_.environment.empty()) {
      const GStrv own(g_get_environ());
      for (gchar** entry = own.get(); entry && *entry; ++entry) {
        const std::string variable(*entry);
        const std::string name = variable.substr(0, variable.find('='));
        if (!options_.environment.contains(name)) g_app_launch_context_unsetenv(context.get(), name.c_str());
      }
      for (const auto& [name, value] : options_.environment)
        g_app_launch_context_setenv(context.get(), name.c_str(), value.c_str());
    }
    for (const std::string& name : options_.ownVariables)
      g_app_launch_context_unsetenv(context.get(), name.c_str());
    const bool notifies = info == nullptr || g_desktop_app_info_get_boolean(info, "StartupNotify");
    if (notifies && options_.activationToken) {
      if (const auto token = options_.activationToken()) {
        g_app_launch_context_setenv(context.get(), "XDG_ACTIVATION_TOKEN", token->c_str());
        g_app_launch_context_setenv(context.get(), "DESKTOP_STARTUP_ID", token->c_str());
      }
    }
    return context;
  }

  // Asks the file manager to show the file selected; false when no file manager answers.
  static bool showItem(const std::string& path) {
    const Object<GDBusConnection> bus(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
    if (!bus) return false;
    const Object<GFile> file(g_file_new_for_path(path.c_str()));
    const std::string uri = take(g_file_get_uri(file.get()));
    const gchar* uris[] = {uri.c_str(), nullptr};
    const Variant reply(g_dbus_connection_call_sync(
        bus.get(), "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
        "org.freedesktop.FileManager1", "ShowItems", g_variant_new("(^ass)", uris, ""), nullptr,
        G_DBUS_CALL_FLAGS_NONE, kShowItemsTimeoutMs, nullptr, nullptr));
    return reply != nullptr;
  }

  const WorkspaceOptions options_;
};

}  // namespace

std::unique_ptr<platform::Workspace> makeWorkspace(const WorkspaceOptions& options) {
  return std::make_unique<GioWorkspace>(options);
}

UserFolders userFolders() {
  const auto folder = [](GUserDirectory kind) -> std::optional<fs::path> {
    const gchar* path = g_get_user_special_dir(kind);
    if (path == nullptr || *path == '\0') return std::nullopt;
    return fs::path(path);
  };
  return {.desktop = folder(G_USER_DIRECTORY_DESKTOP),
          .documents = folder(G_USER_DIRECTORY_DOCUMENTS),
          .downloads = folder(G_USER_DIRECTORY_DOWNLOAD)};
}

}  // namespace quillo::gio

extern "C" const quillo::gio::LibraryEntry* quillo_gio_entry() noexcept {
  static const quillo::gio::LibraryEntry entry{quillo::gio::kAbiVersion, quillo::gio::readDesktopEntries,
                                               quillo::gio::makeWorkspace, quillo::gio::userFolders,
                                               quillo::gio::searchFilesInRunningApp};
  return &entry;
}
