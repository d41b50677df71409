#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "quillo/app/shell/application_hooks.h"
#include "quillo/app/shell/hot_key.h"
#include "quillo/app/shell/launch_arguments.h"
#include "quillo/app/shell/launcher_panel_view.h"
#include "quillo/app/shell/launcher_presentation.h"
#include "quillo/app/shell/shortcut_controller.h"
#include "quillo/app/shell/update_checker.h"
#include "quillo/core/preferences/defaults_store.h"
#include "quillo/core/preferences/quillo_preferences.h"
#include "quillo/platform/clock.h"
#include "quillo/platform/hot_keys.h"
#include "quillo/platform/instance_channel.h"
#include "quillo/platform/screens.h"
#include "quillo/platform/system.h"

namespace quillo::app {

// The seam and the desktop front end's panel, as the application reaches them.
struct ApplicationPlatform {
  core::DefaultsStore& defaults;
  platform::System& system;
  platform::Clock& clock;
  platform::MainQueue& main;
  base::WorkerPool& pool;
  platform::HotKeys& hotKeys;
  platform::Screens& screens;
  LauncherPanelView& panel;
  // The release feed's transport; none leaves "Check for Updates…" without a feed.
  core::HttpTransport* http = nullptr;
  // Preferences shared with the rest of the program; the application keeps its own when none.
  core::QuilloPreferences* preferences = nullptr;
};

struct ApplicationOptions {
  // This program's process: never taken as the application to act on.
  platform::ProcessID ownProcess = 0;
  std::string version = programVersion();
  std::optional<std::string> releaseFeed = configuredReleaseFeed();
};

// The program as a whole: owns the preferences, the panel's presentation and placement, the two
// shortcut controllers and the update checker, starts everything in a fixed order, and turns the
// shortcuts, the status menu and the requests of later starts into showing and hiding the panel.
// It has no window of its own. Main thread only; it stays where it was made (its shortcuts and
// observers call back into it).
class QuilloApplication {
 public:
  QuilloApplication(ApplicationPlatform platform, ApplicationHooks hooks, ApplicationOptions options);
  QuilloApplication(const QuilloApplication&) = delete;
  QuilloApplication& operator=(const QuilloApplication&) = delete;
  ~QuilloApplication();

  // The program finished launching with these arguments (after the program's name).
  void start(const std::vector<std::string>& arguments);

  // The launcher shortcut (and "--toggle"): shows the launcher, or hides it when it is shown.
  void toggle();
  // The clipboard shortcut: shows the clipboard history, switching the launcher's panel in place,
  // or hides it when it is shown.
  void showClipboard();
  void show(LauncherPresentation::Content content);
  // The panel is gone: tells the clipboard and search models.
  void hide();
  // Fades the panel out, then hides and calls `completion`, as a paste does before its keystroke.
  void dismiss(std::function<void()> completion);

  // A later start's request, forwarded through the instance channel.
  void handle(const platform::InstanceRequest& request);
  void perform(StatusMenuItem::Action action);
  // The program was opened again while running.
  void reopen();
  // The program is about to quit.
  void terminate();

  // The panel's events, from the desktop front end.
  Routing routeKey(const KeyEvent& event, const SearchFieldState& field) const;
  void panelMoved(const platform::Rect& frame);
  void panelResignedKey();
  void setRequestingFileAccess(bool requesting) { panelState_.isRequestingFileAccess = requesting; }

  core::QuilloPreferences& preferences() { return preferences_; }
  const LauncherPresentation& presentation() const { return presentation_; }
  ShortcutController* launcherShortcuts() const { return shortcuts_.get(); }
  ShortcutController* clipboardShortcuts() const { return clipboardShortcuts_.get(); }
  UpdateChecker* updater() const { return updater_.get(); }
  StatusMenu statusMenu() const;
  // The application that was in front when the panel opened, never this program.
  const std::optional<platform::RunningApplication>& launcherApp() const { return launcherApp_; }
  // The last other application that became active.
  const std::optional<platform::RunningApplication>& lastApp() const { return lastApp_; }

  static constexpr std::string_view welcomeShownKey = "welcomeShown";

 private:
  void showWelcomeOnce(bool asked);
  void connectPanel();
  void activated(const platform::RunningApplication& application);
  void statusMenuChanged() const;
  void dismissThenHide();
  platform::Display displayUnderPointer() const;

  ApplicationPlatform platform_;
  ApplicationHooks hooks_;
  ApplicationOptions options_;
  std::optional<core::QuilloPreferences> ownPreferences_;
  core::QuilloPreferences& preferences_;
  LauncherPresentation presentation_;
  LauncherPosition position_;
  LauncherPanelState panelState_;
  LauncherPanelCallbacks panelCallbacks_;
  std::optional<platform::Display> panelDisplay_;
  std::optional<platform::RunningApplication> launcherApp_;
  std::optional<platform::RunningApplication> lastApp_;
  std::optional<std::string> activationToken_;
  HotKeyCenter hotKeyCenter_;
  std::unique_ptr<ShortcutController> shortcuts_;
  std::unique_ptr<ShortcutController> clipboardShortcuts_;
  std::unique_ptr<UpdateChecker> updater_;
  bool statusItemInstalled_ = false;
};

}  // namespace quillo::app
