#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "consented_hot_keys.h"
#include "desktop_catalogue.h"
#include "front_workspace.h"
#include "quillo/app/composition/application_seams.h"
#include "quillo/base/worker_pool.h"
#include "quillo/platform/clock.h"
#include "quillo/platform/desktop/dbus_instance_channel.h"
#include "quillo/platform/desktop/desktop_diagnostics.h"
#include "quillo/platform/desktop/front_application_source.h"
#include "quillo/platform/desktop/qt_main_queue.h"
#include "quillo/platform/desktop/qt_screens.h"
#include "quillo/platform/posix/posix_apple_events.h"
#include "quillo/platform/posix/posix_bookmarks.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/platform/posix/posix_processes.h"
#include "quillo/platform/posix/posix_system.h"

namespace quillo::ui {

// Every facility of the platform seam made for the session this program runs in, each backend
// chosen from what the session offers (`facts`): other applications' menus over the
// accessibility bus; the X11 clipboard, hot keys, paste keystrokes and active window on an X
// server; the application in front from a KWin script on Plasma's Wayland and from the
// accessibility bus elsewhere; the data-control clipboard and the shortcuts portal on a Wayland compositor
// that has them; the clipboard through XWayland and, with the user's consent, shortcuts in GNOME's own
// keyboard settings on GNOME's Wayland; the paste keystroke through the remote-desktop portal on
// Wayland; and where a session gives nothing, a facility that says so (an empty clipboard,
// untrusted key presses, refused shortcuts). Needs Qt's application object; made and used on the
// main thread.
class DesktopSeams {
 public:
  explicit DesktopSeams(const platform::desktop::SessionFacts& facts);
  ~DesktopSeams();
  DesktopSeams(const DesktopSeams&) = delete;
  DesktopSeams& operator=(const DesktopSeams&) = delete;

  // The seams with the front end's windows added.
  app::ApplicationSeams seams(platform::FolderPicker& folderPicker, platform::Highlighter& highlighter,
                              app::LauncherPanelView& panel);
  // Delivers the desktop's application activations from now on (on the main queue).
  void observeActivations(std::function<void(const platform::RunningApplication&)> activated);

  platform::MainQueue& main() { return main_; }
  base::WorkerPool& pool() { return pool_; }
  platform::System& system() { return system_; }
  platform::FileSystem& files() { return files_; }
  platform::Pasteboard& pasteboard() { return *pasteboard_; }
  platform::Workspace& workspace() { return *workspace_; }
  platform::HotKeys& hotKeys() { return *hotKeys_; }
  platform::KeyEvents& keyEvents() { return *keyEvents_; }
  // The shortcuts that go into the desktop's keyboard settings once the user allows it; none
  // where the session does not work that way.
  ConsentedHotKeys* desktopShortcuts() { return desktopShortcuts_; }
  const DesktopCatalogue& catalogue() const { return catalogue_; }
  // Which backend each facility got, one line each ("clipboard: X11 selection"), for the log.
  const std::vector<std::string>& choices() const { return choices_; }

 private:
  void choosePasteboard(const platform::desktop::SessionFacts& facts);
  void chooseHotKeys(const platform::desktop::SessionFacts& facts);
  void chooseKeyEvents(const platform::desktop::SessionFacts& facts);
  void chooseFrontApplication(const platform::desktop::SessionFacts& facts);
  void chooseAccessibility(const platform::desktop::SessionFacts& facts);

  platform::desktop::QtMainQueue main_;
  platform::SystemClock clock_;
  platform::posix::PosixSystem system_;
  platform::posix::PosixFileSystem files_;
  platform::posix::PosixProcesses processes_{main_};
  platform::posix::PosixBookmarks bookmarks_;
  platform::posix::PosixAppleEvents appleEvents_;
  std::unique_ptr<platform::Accessibility> accessibility_;
  DesktopCatalogue catalogue_{system_, files_};
  std::function<void(const platform::RunningApplication&)> activated_;
  std::unique_ptr<platform::desktop::FrontApplicationSource> front_;
  std::unique_ptr<platform::Workspace> workspace_;
  FrontWorkspace* frontWorkspace_ = nullptr;
  std::unique_ptr<platform::Pasteboard> pasteboard_;
  std::unique_ptr<platform::KeyEvents> keyEvents_;
  std::unique_ptr<platform::HotKeys> hotKeys_;
  ConsentedHotKeys* desktopShortcuts_ = nullptr;
  std::unique_ptr<platform::desktop::QtScreens> screens_;
  platform::desktop::DBusInstanceChannel instances_;
  std::vector<std::string> choices_;
  // Last, so that it is destroyed first: work still running reaches the facilities above.
  base::WorkerPool pool_;
};

}  // namespace quillo::ui
