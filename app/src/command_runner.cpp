#include "quillo/app/command_runner.h"

#include <string>
#include <type_traits>

#include "quillo/base/log.h"

namespace quillo::app {
namespace {

constexpr base::log::Logger kRunnerLog("run");
constexpr const char* kLoginLibrary = "/System/Library/PrivateFrameworks/login.framework/Versions/A/login";
constexpr const char* kLockFunction = "SACLockScreenImmediate";
const core::ProcessCall kDisplayOff{"/usr/bin/pmset", {"displaysleepnow"}};

}  // namespace

CommandRunner::CommandRunner(CommandRunnerServices services, ActionTools tools)
    : services_(services), tools_(std::move(tools)) {}

void CommandRunner::run(const core::ResultRow& row) {
  carryOut(planRun(row, services_.clock.now(), tools_));
}

void CommandRunner::run(const core::Command& command) {
  carryOut(planRun(command, tools_));
}

void CommandRunner::runFile(const core::Command& command, const base::Url& file, bool open) {
  carryOut(planFile(command, file, open));
}

std::shared_ptr<platform::ChildProcess> CommandRunner::start(const core::ProcessCall& call,
                                                             std::string_view title,
                                                             ChildStarter::WhenDone whenDone) {
  return services_.children.start(call, title, std::move(whenDone));
}

void CommandRunner::open(const RunPlan& plan, const std::function<void()>& opening, bool withReason) {
  try {
    opening();
  } catch (const platform::WorkspaceError& error) {
    if (withReason) {
      kRunnerLog.error("{} did not open: {}", plan.title, error.what());
    } else {
      kRunnerLog.error("{} did not open", plan.title);
    }
  }
}

void CommandRunner::lockScreen(const RunPlan& plan, const step::LockScreen& lock) {
  if (lock.call) {
    start(*lock.call, plan.title);
    return;
  }
  void* function = nullptr;
  std::unique_ptr<platform::SharedLibrary> library;
  try {
    library = services_.files.loadLibrary(kLoginLibrary);
    function = library->symbol(kLockFunction);
  } catch (const platform::FileSystemError&) {
    function = nullptr;
  }
  if (!function) {
    kRunnerLog.warning("{}: this macOS has no lock call. Turning the display off instead", plan.title);
    start(kDisplayOff, plan.title);
    return;
  }
  using LockCall = int (*)();
  if (const int result = reinterpret_cast<LockCall>(function)(); result != 0)
    kRunnerLog.error("{} did not lock: {}", plan.title, result);
}

void CommandRunner::carryOut(const RunPlan& plan) {
  std::visit(
      [&](const auto& step) {
        using Step = std::decay_t<decltype(step)>;
        if constexpr (std::is_same_v<Step, step::StartProcess>) {
          start(step.call, plan.title);
        } else if constexpr (std::is_same_v<Step, step::KeepAwake>) {
          services_.keepAwake.start(step.call, step.scope, step.until);
        } else if constexpr (std::is_same_v<Step, step::OpenApplication>) {
          open(
              plan, [&] { services_.workspace.openApplication(step.application); }, true);
        } else if constexpr (std::is_same_v<Step, step::OpenURL>) {
          open(
              plan, [&] { services_.workspace.openURL(step.url); }, false);
        } else if constexpr (std::is_same_v<Step, step::OpenFile> || std::is_same_v<Step, step::RevealFile>) {
          try {
            if constexpr (std::is_same_v<Step, step::OpenFile>) {
              services_.workspace.openFile(step.path);
            } else {
              services_.workspace.revealFile(step.path);
            }
          } catch (const platform::WorkspaceError&) {
            kRunnerLog.error("A file did not open");
          }
        } else if constexpr (std::is_same_v<Step, step::PressMenuItem>) {
          services_.pool.submit(
              [item = step.item, title = plan.title, &accessibility = services_.accessibility] {
                bool pressed = false;
                try {
                  pressed = item.press(accessibility);
                } catch (const std::exception&) {
                  pressed = false;
                }
                if (!pressed)
                  kRunnerLog.error("{}: the app refused the press or did not answer in time", title);
              });
        } else if constexpr (std::is_same_v<Step, step::SendAppleEvent>) {
          services_.pool.submit([call = step.call, title = plan.title, &sender = services_.appleEvents] {
            try {
              if (const auto failure = sender.send(call))
                kRunnerLog.error("{}", core::AppleEventSender::logLine(*failure, title, call.app.name));
            } catch (const std::exception& error) {
              kRunnerLog.error("{} was not sent: {}", title, error.what());
            }
          });
        } else if constexpr (std::is_same_v<Step, step::StopKeepingAwake>) {
          services_.keepAwake.stop();
        } else if constexpr (std::is_same_v<Step, step::LockScreen>) {
          lockScreen(plan, step);
        } else if constexpr (std::is_same_v<Step, step::Nothing>) {
          if (step.reason == step::Idle::invalidValue)
            kRunnerLog.error("{} did not run: its value is not valid now", plan.title);
          if (step.reason == step::Idle::noValue)
            kRunnerLog.error("{} has no value and did not run", plan.title);
        }
      },
      plan.step);
}

}  // namespace quillo::app
