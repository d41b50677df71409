#pragma once

#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "quillo/platform/desktop/front_application_source.h"
#include "quillo/platform/main_queue.h"

class QTemporaryFile;

namespace quillo::platform::desktop {

namespace kwin {
class Receiver;
}

// The application in front on KDE Plasma's Wayland session, where only the compositor knows it: a
// script of ours, run by the compositor (KWin) through its D-Bus scripting interface, calls back
// on this program's session-bus connection whenever a window is activated, with the window's
// process, window class and desktop-file name. The script is unloaded again on destruction.
//
// Needs a QCoreApplication; the calls arrive on the thread that makes it, through Qt's event loop.
// Throws FrontApplicationUnavailable when the compositor does not run the script.
class KWinFrontApplication final : public FrontApplicationSource {
 public:
  struct Window {
    ProcessID pid = 0;
    std::string resourceClass;    // the window's class ("org.kde.dolphin", "XTerm")
    std::string desktopFileName;  // the desktop-file id the window names; empty when it names none
    bool operator==(const Window&) const = default;
  };
  // The desktop entry of a window; none for programs without one.
  using EntryOfWindow = std::function<std::optional<FrontEntry>(const Window&)>;

  // The script's name in the compositor: one program runs it at a time.
  static constexpr const char* kScriptName = "quillo-front-application";

  KWinFrontApplication(MainQueue& main, EntryOfWindow entryOf, Observer onActivation,
                       int timeoutMilliseconds = 3000);
  ~KWinFrontApplication() override;
  KWinFrontApplication(const KWinFrontApplication&) = delete;
  KWinFrontApplication& operator=(const KWinFrontApplication&) = delete;

  std::optional<FrontApplication> front() const override;

 private:
  void unload();

  FrontReports reports_;
  int timeout_;
  std::unique_ptr<QTemporaryFile> script_;
  std::unique_ptr<kwin::Receiver> receiver_;
};

}  // namespace quillo::platform::desktop
