#include "quillo/app/child_starter.h"

#include "quillo/base/log.h"

namespace quillo::app {
namespace {

constexpr base::log::Logger kChildLog("run");
// The ranking service's key is the launcher's secret, never a child's.
constexpr std::string_view kServiceKeyVariable = "REDIZEDA_API_KEY";

}  // namespace

std::map<std::string, std::string> ChildStarter::childEnvironment() const {
  auto environment = processes_.environment();
  environment.erase(std::string(kServiceKeyVariable));
  return environment;
}

std::shared_ptr<platform::ChildProcess> ChildStarter::start(const core::ProcessCall& call,
                                                            std::string_view title, WhenDone whenDone,
                                                            ChildLife life) const {
  platform::ProcessLaunch launch{.executable = call.executable,
                                 .arguments = call.arguments,
                                 .environment = childEnvironment(),
                                 .endsWithParent = life == ChildLife::endsWithLauncher,
                                 .detached = life == ChildLife::detached};
  auto onExit = [title = std::string(title), whenDone = std::move(whenDone)](platform::ProcessExit exit) {
    if (exit.exited && exit.status != 0) kChildLog.warning("{} ended with status {}", title, exit.status);
    if (whenDone) whenDone(exit);
  };
  try {
    return processes_.spawn(launch, std::move(onExit));
  } catch (const platform::ProcessError& error) {
    kChildLog.error("{} did not start: {}", title, error.what());
    return nullptr;
  }
}

}  // namespace quillo::app
