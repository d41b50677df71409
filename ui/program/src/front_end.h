#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "quillo/app/composition/application_components.h"
#include "quillo/app/shell/launcher_panel_view.h"
#include "quillo/app/shell/quillo_application.h"
#include "quillo/platform/folder_picker.h"
#include "quillo/platform/highlighter.h"

namespace quillo::ui {

// A window of the front end drawn into a snapshot: its file name without ".png" and the widget.
struct SnapshotWindow {
  std::string name;
  QWidget* widget = nullptr;
};

// The front end's windows: the launcher panel with its clipboard content, the settings window,
// the status item, the welcome window, the settings guide's ring and the folder picker. Made
// before the application's components (which hold the panel, the picker and the ring), connected
// to them once they exist. Main thread only.
class FrontEnd {
 public:
  FrontEnd();
  ~FrontEnd();
  FrontEnd(const FrontEnd&) = delete;
  FrontEnd& operator=(const FrontEnd&) = delete;

  app::LauncherPanelView& panel();
  platform::FolderPicker& folderPicker();
  platform::Highlighter& highlighter();

  // Presents the components' models; `application` is the object the windows report to.
  void connect(app::ApplicationComponents& components, app::QuilloApplication& application);
  // The application's hooks into the windows (the status item, settings, welcome, the panel's
  // size); `quit` ends the program.
  void fill(app::UiHooks& hooks, std::function<void()> quit);

  // The windows a snapshot draws, each laid out with its current content.
  std::vector<SnapshotWindow> snapshotWindows(app::LauncherPresentation::Content content);

 private:
  struct Windows;
  std::unique_ptr<Windows> windows_;
};

}  // namespace quillo::ui
