#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "quillo/app/composition/application_components.h"
#include "quillo/app/shell/launcher_panel_view.h"
#include "quillo/app/shell/quillo_application.h"
#include "quillo/platform/desktop/desktop_diagnostics.h"
#include "quillo/platform/file_system.h"
#include "quillo/platform/folder_picker.h"
#include "quillo/platform/highlighter.h"
#include "quillo/platform/system.h"

namespace quillo::ui {

class LauncherWindow;
class SettingsWindow;

// A window of the front end drawn into a snapshot: its file name without ".png" and the widget.
struct SnapshotWindow {
  std::string name;
  QWidget* widget = nullptr;
};

struct FrontEndContext {
  platform::FileSystem& files;
  const platform::System& system;
  // Each desktop facility as it works now, for the settings' diagnostics page.
  std::function<std::vector<platform::desktop::FacilityStatus>()> diagnostics;
  // Whether the desktop turned its animations off.
  std::function<bool()> animationsOff;
  // Whether another application's window is the active one (false while none is).
  std::function<bool()> otherApplicationInFront;
  // After the panel painted new content (the benchmark mode's timing); nothing when empty.
  std::function<void()> painted{};
  // Gives or withdraws the user's consent to Quillo's shortcuts in the desktop's keyboard
  // settings; empty where the desktop does not take them that way.
  std::function<void(bool)> allowDesktopShortcuts{};
};

// The front end's windows: the launcher panel with the clipboard history as its second content,
// the settings window, the status item, the welcome window, the settings guide's ring and the
// folder picker. The components are made with the panel, the picker and the ring before the
// launcher window exists (the window needs the components' search model): the panel they get
// reaches the window once `connect` made it. Main thread only.
class FrontEnd {
 public:
  explicit FrontEnd(FrontEndContext context);
  ~FrontEnd();
  FrontEnd(const FrontEnd&) = delete;
  FrontEnd& operator=(const FrontEnd&) = delete;

  app::LauncherPanelView& panel();
  platform::FolderPicker& folderPicker();
  platform::Highlighter& highlighter();

  // Makes the windows that present the components' models; `application` is the object they
  // report to. Both must outlive the front end's use of them (until `disconnect`).
  void connect(app::ApplicationComponents& components, app::QuilloApplication& application);
  // Makes a paste wait, after the panel is gone, until another application has the keyboard
  // again. Once the application object is attached (which sets how a paste hides the panel).
  void holdPastesUntilTheKeyboardReturns();
  // Takes the windows down before the components go.
  void disconnect();
  // The application's hooks into the windows (the status item, settings, welcome, the panel's
  // size); `quit` ends the program.
  void fill(app::UiHooks& hooks, std::function<void()> quit);

  // The windows a snapshot draws for this content, each laid out with what it shows now.
  std::vector<SnapshotWindow> snapshotWindows(app::LauncherPresentation::Content content);

  LauncherWindow* launcherWindow();
  // Whether the panel is the active window with the keyboard focus in one of its widgets.
  bool panelHasKeyboard() const;
  SettingsWindow& settingsWindow();

 private:
  struct Windows;
  std::unique_ptr<Windows> windows_;
};

}  // namespace quillo::ui
