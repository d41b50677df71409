#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "desktop_seams.h"
#include "file_search_service.h"
#include "front_end.h"
#include "paint_log.h"
#include "quillo/app/composition/application_components.h"
#include "quillo/app/shell/quillo_application.h"
#include "state_service.h"

namespace quillo::ui {

struct DesktopProgramOptions {
  // Claim the program's bus name and take the shortcuts; a snapshot run does neither.
  bool attach = true;
};

// The running program: the seams of this session, the front end's windows, the application's
// components and the application object, made in that order and taken down in the reverse one
// (the application told to terminate, the workers idle, then the components). Main thread only;
// needs Qt's application object.
class DesktopProgram {
 public:
  DesktopProgram(const platform::desktop::SessionFacts& facts, DesktopProgramOptions options = {});
  ~DesktopProgram();
  DesktopProgram(const DesktopProgram&) = delete;
  DesktopProgram& operator=(const DesktopProgram&) = delete;

  // Starts with the launch arguments (after the program's name). False when another instance of
  // the program runs: this one has nothing to do.
  bool start(const std::vector<std::string>& arguments);
  // Ends the application in order; called once the event loop has stopped.
  void shutdown();

  // What the program shows, as the State method returns it.
  std::string stateJson() const;

  app::ApplicationComponents& components() { return *components_; }
  app::QuilloApplication& application() { return *application_; }
  FrontEnd& frontEnd() { return *frontEnd_; }
  // Whether the models have nothing left to do: the commands loaded, no search or service
  // question pending, the clipboard history open.
  bool settled() const;

 private:
  app::UiHooks uiHooks();
  // Stores the user's consent to shortcuts in the desktop's keyboard settings and registers both
  // shortcuts again with it.
  void allowDesktopShortcuts(bool allowed);
  // Held while SearchFiles is on the bus: quillo-cli asks the bus only when someone holds it.
  void holdFileSearchLock();

  DesktopProgramOptions options_;
  std::optional<PaintLog> paintLog_;
  DesktopSeams seams_;
  std::unique_ptr<FrontEnd> frontEnd_;
  std::unique_ptr<app::ApplicationComponents> components_;
  std::unique_ptr<app::QuilloApplication> application_;
  std::unique_ptr<StateService> state_;
  std::unique_ptr<FileSearchService> fileSearch_;
  std::unique_ptr<platform::FileLock> fileSearchLock_;
  bool running_ = false;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

}  // namespace quillo::ui
