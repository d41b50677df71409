#pragma once

#include <functional>
#include <memory>

#include "quillo/platform/workspace.h"

namespace quillo::ui {

// The desktop's workspace as the program uses it: opening and revealing through the application
// library (GIO), the application in front from the session's own backend (the active window on
// X11; none where the desktop does not say). Safe for concurrent use when both parts are.
class FrontWorkspace final : public platform::Workspace {
 public:
  using Front = std::function<std::optional<platform::FrontApplication>()>;

  FrontWorkspace(std::unique_ptr<platform::Workspace> opener, Front front)
      : opener_(std::move(opener)), front_(std::move(front)) {}

  std::vector<platform::RunningApplication> runningApplications() override {
    return opener_->runningApplications();
  }
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
  std::optional<platform::FrontApplication> frontApplication() override {
    return front_ ? front_() : std::nullopt;
  }

 private:
  std::unique_ptr<platform::Workspace> opener_;
  Front front_;
};

}  // namespace quillo::ui
