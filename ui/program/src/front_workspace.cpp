#include "front_workspace.h"

#include <algorithm>
#include <cerrno>
#include <csignal>

namespace quillo::ui {
namespace {

bool alive(platform::ProcessID pid) {
  return pid > 0 && (::kill(pid, 0) == 0 || errno == EPERM);
}

}  // namespace

std::optional<platform::FrontApplication> FrontWorkspace::frontApplication() {
  auto front = front_ ? front_() : std::nullopt;
  if (!front) return std::nullopt;
  return seen(std::move(*front));
}

platform::FrontApplication FrontWorkspace::seen(platform::FrontApplication application) {
  if (application.pid == self_.pid) application.id = self_.id;
  std::lock_guard lock(mutex_);
  std::erase_if(seen_,
                [&](const platform::RunningApplication& known) { return known.pid == application.pid; });
  seen_.push_back({.pid = application.pid,
                   .bundleID = application.id.empty() ? std::nullopt : std::optional(application.id),
                   .bundlePath = std::nullopt});
  return application;
}

std::vector<platform::RunningApplication> FrontWorkspace::runningApplications() {
  std::vector<platform::RunningApplication> running = opener_->runningApplications();
  std::lock_guard lock(mutex_);
  std::erase_if(seen_, [](const platform::RunningApplication& known) { return !alive(known.pid); });
  running.insert(running.end(), seen_.begin(), seen_.end());
  return running;
}

}  // namespace quillo::ui
