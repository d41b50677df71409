#pragma once

#include <chrono>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "quillo/platform/apple_events.h"
#include "quillo/platform/workspace.h"

namespace quillo::testing {

// A Workspace whose running applications and bundles are fields; records what was opened.
class FakeWorkspace final : public platform::Workspace {
 public:
  std::vector<platform::RunningApplication> running;
  // Symbolic links as the test declares them: path → target.
  std::map<std::string, std::string> links;
  // The process an open gives, or the failure it throws.
  std::optional<platform::ProcessID> openedProcess;
  std::string openFailure = "The application could not be found.";
  std::vector<std::string> opened;
  // Every open and reveal, as "openApplication org.gnome.Calculator", "openURL https://…",
  // "openFile /path", "revealFile /path"; each throws `refusal` when it is set.
  std::vector<std::string> requests;
  std::optional<std::string> refusal;
  std::optional<platform::FrontApplication> front;

  std::vector<platform::RunningApplication> runningApplications() override { return running; }
  std::string resolvedPath(const std::string& path) override;
  platform::ProcessID openInBackground(const std::string& path) override;
  void openApplication(const std::string& application) override { record("openApplication", application); }
  void openURL(const std::string& url) override { record("openURL", url); }
  void openFile(const std::string& path) override { record("openFile", path); }
  void revealFile(const std::string& path) override { record("revealFile", path); }
  std::optional<platform::FrontApplication> frontApplication() override { return front; }

 private:
  void record(const std::string& request, const std::string& target);
};

// An Apple event transport that records every event and answers from a queue of replies or
// sending errors, in order.
class FakeAppleEvents final : public platform::AppleEvents {
 public:
  using Answer = std::variant<platform::AppleEvent, platform::AppleEventError>;

  std::deque<Answer> answers;
  std::vector<platform::AppleEvent> sent;
  std::vector<std::chrono::duration<double>> timeouts;

  platform::AppleEvent send(const platform::AppleEvent& event,
                            std::chrono::duration<double> timeout) override;
};

}  // namespace quillo::testing
