#pragma once

#include "quillo/platform/workspace.h"

namespace quillo::cli {

// The workspace of a command line without the desktop's application library: it knows no running
// applications and refuses every open and reveal with a message that says so. Main thread only.
class HeadlessWorkspace final : public platform::Workspace {
 public:
  std::vector<platform::RunningApplication> runningApplications() override { return {}; }
  std::string resolvedPath(const std::string& path) override;
  platform::ProcessID openInBackground(const std::string& path) override;
  void openApplication(const std::string& application) override;
  void openURL(const std::string& url) override;
  void openFile(const std::string& path) override;
  void revealFile(const std::string& path) override;

  // How many opens and reveals were refused.
  int refusals() const { return refusals_; }

 private:
  [[noreturn]] void refuse(const std::string& what);
  int refusals_ = 0;
};

}  // namespace quillo::cli
