#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "quillo/app/action_tools.h"
#include "quillo/app/analytics_client.h"
#include "quillo/app/child_starter.h"
#include "quillo/app/clipboard/clipboard_model.h"
#include "quillo/app/clipboard/clipboard_settings.h"
#include "quillo/app/command_runner.h"
#include "quillo/app/composition/application_seams.h"
#include "quillo/app/composition/local_ranking_service.h"
#include "quillo/app/keep_awake.h"
#include "quillo/app/search_folders.h"
#include "quillo/app/search_model.h"
#include "quillo/app/settings_guide.h"
#include "quillo/app/shell/quillo_application.h"
#include "quillo/app/telemetry_service.h"
#include "quillo/core/capabilities/apple_event_sender.h"
#include "quillo/core/preferences/file_defaults_store.h"
#include "quillo/core/preferences/quillo_preferences.h"
#include "quillo/core/results/usage_store.h"

namespace quillo::app {

struct ApplicationComponentsOptions {
  // The preferences file; the standard place when none.
  std::optional<std::filesystem::path> defaultsFile{};
  // The clipboard history's database; the standard place when none.
  std::optional<std::filesystem::path> clipboardDatabase{};
  // Builds the launcher's command index; runs on a worker once the panel is connected.
  std::function<core::CommandIndex()> commandIndex{};
  // This platform's process calls for actions, keep-awake and locking.
  ActionTools tools{};
  ClipboardModelOptions clipboard{};
  SearchModelOptions search{};
  // A ranking service configured for this program; without one the local service is started.
  std::shared_ptr<core::BackendClient> configuredService{};
  // Finds or starts the local ranking service; runs on a worker and may throw.
  std::function<LocalRankingService()> startLocalService{};
  // Loads the file-index library; runs on a worker and throws core::FffLibraryError.
  std::function<std::shared_ptr<const core::FffLibrary>()> loadFileLibrary{};
  // The usage signals' transport, made on a worker when the first batch goes.
  AnalyticsClient::TransportSource analyticsTransport{};
};

// Every long-lived object of the running program, made in the order the program starts them:
// the preferences over the defaults file, the usage counts, the usage signals, the keep-awake and
// command runner, the search folders, the settings guide, the search model, and the clipboard
// history (its settings, and the model that owns the monitor and the paste service). `hooks()`
// wires them into the application object; the desktop front end adds what only it can do.
//
// Main thread only. The worker pool must outlive these components (a called-off task may still
// run on a worker after a component is gone: wait for the pool to go idle before destroying them).
class ApplicationComponents {
 public:
  ApplicationComponents(ApplicationSeams seams, ApplicationComponentsOptions options);
  ~ApplicationComponents();
  ApplicationComponents(const ApplicationComponents&) = delete;
  ApplicationComponents& operator=(const ApplicationComponents&) = delete;

  // The application object's view of the platform, sharing these components' preferences.
  ApplicationPlatform platform(core::HttpTransport* http = nullptr);
  // The application object's hooks filled with these components and the front end's own. They
  // reach into the components: the application object must be destroyed first.
  ApplicationHooks hooks(UiHooks ui);
  // Follows `application` (made with platform() and hooks()): the panel content it presents, the
  // application it acts on, and the requests of later starts. False when another instance of the
  // program already takes those requests: this one should forward its own and quit.
  bool attach(QuilloApplication& application);

  core::DefaultsStore& defaults() { return *defaults_; }
  core::QuilloPreferences& preferences() { return preferences_; }
  TelemetryService& telemetry() { return telemetry_; }
  KeepAwake& keepAwake() { return keepAwake_; }
  CommandRunner& runner() { return runner_; }
  SearchFolders& searchFolders() { return *searchFolders_; }
  SettingsGuide& settingsGuide() { return settingsGuide_; }
  SearchModel& searchModel() { return *searchModel_; }
  ClipboardSettings& clipboardSettings() { return clipboardSettings_; }
  ClipboardModel& clipboardModel() { return clipboardModel_; }
  // The ranking service's client: the configured one, or the local one once it is ready.
  const std::shared_ptr<core::BackendClient>& backend() const { return backend_; }

 private:
  SearchModelHooks searchHooks();
  void startLocalRankingService();
  void useBackend(std::shared_ptr<core::BackendClient> backend);
  void connectPanel(LauncherPanelCallbacks& callbacks);
  void contentShown();
  void runRow(const core::ResultRow& row, bool alternate);
  std::optional<core::Command> clipboardMatch(const std::string& query, std::stop_token stop) const;
  // The application a paste goes to: the one in front when the panel opened.
  std::optional<platform::FrontApplication> pasteTarget() const;

  // The panel's keys, each acting on the content shown (application_components_panel.cpp).
  bool showing(LauncherPresentation::Content content) const;
  std::optional<core::ResultRow> selectedRow() const;
  std::optional<core::ResultRow> selectedFile() const;
  bool emptyFieldBackspace();
  bool clipboardKey(const KeyEvent& event);
  bool copySelectedClipboard();
  bool copySelectedFile(bool pathOnly);
  bool runSelectedFile(bool alternate);
  bool runPreviewed();
  void pasteClipboardRow(const core::ResultRow& row);

  ApplicationSeams seams_;
  ApplicationComponentsOptions options_;
  std::unique_ptr<core::FileDefaultsStore> defaults_;
  core::QuilloPreferences preferences_;
  core::UsageStore usage_;
  TelemetryService telemetry_;
  ChildStarter children_;
  KeepAwake keepAwake_;
  core::AppleEventSender appleEvents_;
  CommandRunner runner_;
  std::unique_ptr<SearchFolders> searchFolders_;
  SettingsGuide settingsGuide_;
  std::unique_ptr<SearchModel> searchModel_;
  ClipboardSettings clipboardSettings_;
  ClipboardModel clipboardModel_;
  std::shared_ptr<core::BackendClient> backend_;
  std::shared_ptr<service::LocalServiceProcess> localService_;
  std::optional<LauncherPresentation::Content> shown_;
  TaskSlot localServiceTask_;
  QuilloApplication* application_ = nullptr;
};

}  // namespace quillo::app
