#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "quillo/app/task_slot.h"
#include "quillo/base/worker_pool.h"
#include "quillo/core/commands/command.h"
#include "quillo/core/service/backend_client.h"
#include "quillo/core/system/settings_reader.h"
#include "quillo/platform/accessibility.h"
#include "quillo/platform/clock.h"
#include "quillo/platform/highlighter.h"
#include "quillo/platform/main_queue.h"

namespace quillo::app {

// Leads the user to a setting: after a settings command with words typed after it runs, it
// waits for the settings window to load, asks the ranking service which row the words mean
// (for an application's settings window, which sidebar section first) and rings that row for a
// few seconds. It only reads windows and selects sections; it never changes a setting.
//
// Used on the main thread. Window reads and the service run on workers; waits are delayed tasks
// on the main queue, and every one of them ends when the operation is cancelled.
class SettingsGuide {
 public:
  // The window did not finish loading in time.
  class NotLoaded : public std::runtime_error {
   public:
    NotLoaded() : std::runtime_error("The settings window did not finish loading in time.") {}
  };

  struct Timing {
    std::chrono::milliseconds loadTimeout{5000};
    std::chrono::milliseconds poll{100};
    std::chrono::milliseconds settle{250};
    std::chrono::milliseconds menuPressDelay{80};
    std::chrono::milliseconds ringDuration{3000};
    std::chrono::milliseconds ringRefresh{33};
  };

  static constexpr double rowThreshold = 0.08;
  static constexpr double sectionThreshold = 0.03;
  static constexpr double acceptance = 0.3;
  static constexpr double ringOutset = 15;

  // What it works with; all must outlive it.
  struct Environment {
    platform::Accessibility& accessibility;
    platform::Highlighter& highlighter;
    base::WorkerPool& pool;
    platform::MainQueue& main;
    const platform::Clock& clock;
    // Runs the command the ordinary way (on the main thread).
    std::function<void(const core::Command&)> runCommand;
    // The process of a running application by bundle identifier; called on a worker.
    std::function<std::optional<platform::ProcessID>(std::string_view bundleID)> processOf;
    // The front application's process; called on a worker.
    std::function<std::optional<platform::ProcessID>()> frontProcess;
    Timing timing{};
  };

  explicit SettingsGuide(Environment environment);
  ~SettingsGuide();
  SettingsGuide(const SettingsGuide&) = delete;
  SettingsGuide& operator=(const SettingsGuide&) = delete;

  // For a System Settings pane command: runs it, then rings the row of the pane that `query`
  // (the words typed after the command's title) means.
  void open(const core::Command& command, const std::string& query,
            std::shared_ptr<core::BackendClient> backend);
  // For the settings menu command of the front application `pid`, named `appName`.
  void follow(const core::Command& command, platform::ProcessID pid, const std::string& appName,
              const std::string& query, std::shared_ptr<core::BackendClient> backend);
  // Ends the running operation and hides the ring.
  void cancel();

  bool isRunning() const { return operation_ != nullptr; }
  // Why the last operation ended without a ring when it failed; none otherwise.
  const std::optional<std::string>& lastFailure() const { return lastFailure_; }

 private:
  struct Operation;
  using Continue = std::function<void()>;
  using Found = std::function<void(bool ringShown)>;

  std::shared_ptr<Operation> start();
  void release();
  // Runs the command; a failure ends the operation.
  bool run(const std::shared_ptr<Operation>& operation, const core::Command& command);
  void finish(const std::shared_ptr<Operation>& operation, std::optional<std::string> failure = std::nullopt);
  void fail(const std::shared_ptr<Operation>& operation, std::exception_ptr error);
  // Runs `then` after `delay` while the operation is still the current one.
  void after(const std::shared_ptr<Operation>& operation, std::chrono::milliseconds delay, Continue then);
  // Reads on a worker, then hands the result to `then` on the main thread.
  template <class Work, class Then>
  void read(const std::shared_ptr<Operation>& operation, Work work, Then then);

  void rowStep(const std::shared_ptr<Operation>& operation,
               std::function<std::optional<platform::ProcessID>()> pid,
               std::optional<std::string> titleBefore, Found found);
  void pollPane(const std::shared_ptr<Operation>& operation,
                std::optional<std::vector<std::string>> previousRows);
  void rankRows(const std::shared_ptr<Operation>& operation, core::SettingsPane pane);
  void awaitSettingsWindow(const std::shared_ptr<Operation>& operation,
                           std::optional<std::int64_t> tokenBefore);
  void rankSections(const std::shared_ptr<Operation>& operation, std::vector<core::Command> sections);
  void trySections(const std::shared_ptr<Operation>& operation, std::vector<core::Command> sections,
                   std::size_t next);
  void ring(const std::shared_ptr<Operation>& operation, const core::SettingsRowRef& row,
            platform::ProcessID pid);

  Environment env_;
  core::SettingsReader reader_;
  TaskSlot reads_;
  std::shared_ptr<Operation> operation_;
  platform::DelayedTask wait_;
  std::optional<std::string> lastFailure_;
};

}  // namespace quillo::app
