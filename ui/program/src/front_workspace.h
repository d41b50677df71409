#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "quillo/platform/workspace.h"

namespace quillo::ui {

// The desktop's workspace as the program uses it: opening and revealing through the application
// library (GIO), the application in front from the session's own backend (the active window on
// X11, a KWin script or the accessibility bus on Wayland; none where the desktop does not say). This
// program's own windows in front are this program under its desktop-file id, whatever their window class
// says. The running applications are those seen in front during this run whose process is still alive: the
// desktop keeps no list of applications, and a process without a window is no application to act on. Safe for
// concurrent use.
class FrontWorkspace final : public platform::Workspace {
 public:
  using Front = std::function<std::optional<platform::FrontApplication>()>;

  struct Identity {
    platform::ProcessID pid = 0;
    std::string id;
  };

  FrontWorkspace(std::unique_ptr<platform::Workspace> opener, Front front, Identity self)
      : opener_(std::move(opener)), front_(std::move(front)), self_(std::move(self)) {}

  std::vector<platform::RunningApplication> runningApplications() override;
  std::string resolvedPath(const std::string& path) override { return opener_->resolvedPath(path); }
  platform::ProcessID openInBackground(const std::string& path) override {
    return opener_->openInBackground(path);
  }
  void openApplication(const std::string& application) override { opener_->openApplication(application); }
  void openApplicationAction(const std::string& application, const std::string& action) override {
    opener_->openApplicationAction(application, action);
  }
  void openURL(const std::string& url) override { opener_->openURL(url); }
  void openFile(const std::string& path) override { opener_->openFile(path); }
  void revealFile(const std::string& path) override { opener_->revealFile(path); }
  std::optional<platform::FrontApplication> frontApplication() override;

  // An application came to the front (the desktop's activation notification).
  platform::FrontApplication seen(platform::FrontApplication application);

 private:
  std::unique_ptr<platform::Workspace> opener_;
  Front front_;
  Identity self_;
  std::mutex mutex_;
  std::vector<platform::RunningApplication> seen_;
};

}  // namespace quillo::ui
