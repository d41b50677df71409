#include "quillo/app/keep_awake.h"

#include <string>

#include "quillo/base/log.h"

namespace quillo::app {
namespace {

constexpr base::log::Logger kAwakeLog("run");
constexpr std::string_view kUntilKey = "keepAwakeUntil";
constexpr std::string_view kDisplayKey = "keepAwakeDisplay";
constexpr std::string_view kTitle = "Keep Awake";

}  // namespace

struct KeepAwake::State {
  std::shared_ptr<platform::ChildProcess> child;
  std::optional<base::Date> until;
  std::function<void()> onChange;

  void changed() const {
    if (onChange) onChange();
  }
};

KeepAwake::KeepAwake(const ChildStarter& starter, core::DefaultsStore& defaults, ActionTools tools, Role role)
    : starter_(starter),
      defaults_(defaults),
      tools_(std::move(tools)),
      role_(role),
      state_(std::make_shared<State>()) {}

KeepAwake::~KeepAwake() = default;

std::optional<base::Date> KeepAwake::until() const {
  return state_->until;
}

void KeepAwake::setOnChange(std::function<void()> onChange) {
  state_->onChange = std::move(onChange);
}

void KeepAwake::start(const core::ProcessCall& call, core::AwakeScope scope, base::Date until) {
  if (state_->child) stop();
  const bool owner = role_ == Role::owner;
  core::ProcessCall launched = call;
  if (owner && tools_.keepAwakeWatchesLauncher) {
    const std::string pid = std::to_string(starter_.processes().ownPid());
    launched.arguments.insert(launched.arguments.begin(), {"-w", pid});
  }
  ChildStarter::WhenDone whenDone;
  const auto startedPid = std::make_shared<platform::ProcessID>(0);
  if (owner) {
    // Held weakly: a child that ends after this object is gone changes nothing. Only the current
    // child's end forgets, as a replaced child ends after its successor has begun.
    whenDone = [weak = std::weak_ptr<State>(state_), startedPid, this](platform::ProcessExit) {
      const auto state = weak.lock();
      if (state && state->child && state->child->pid() == *startedPid) forget();
    };
  }
  auto child = starter_.start(launched, kTitle, std::move(whenDone),
                              owner ? ChildLife::endsWithLauncher : ChildLife::detached);
  if (!child) return;
  *startedPid = child->pid();
  state_->child = std::move(child);
  state_->until = until;
  if (owner) write(until, scope);
  state_->changed();
}

void KeepAwake::write(base::Date until, core::AwakeScope scope) {
  try {
    defaults_.set(kUntilKey, until);
    defaults_.set(kDisplayKey, scope == core::AwakeScope::macAndDisplay);
  } catch (const std::exception& error) {
    kAwakeLog.error("{}: its end was not remembered: {}", kTitle, error.what());
  }
}

void KeepAwake::resume(base::Date now) {
  if (state_->child) return;
  const auto stored = defaults_.value(kUntilKey);
  const auto until = stored ? stored->date() : std::nullopt;
  if (!until) return;
  const auto display = defaults_.value(kDisplayKey);
  const auto scope =
      display && display->boolean().value_or(false) ? core::AwakeScope::macAndDisplay : core::AwakeScope::mac;
  const auto call = tools_.processCall(core::invocation::KeepAwake{scope, core::invocation::At{*until}}, now);
  if (call) {
    start(*call, scope, *until);
  } else {
    forget();
  }
}

void KeepAwake::stop() {
  if (state_->child) state_->child->terminate();
  forget();
}

void KeepAwake::forget() {
  const bool hadOne = state_->child || state_->until;
  state_->child.reset();
  state_->until.reset();
  if (role_ == Role::owner) {
    try {
      defaults_.remove(kUntilKey);
      defaults_.remove(kDisplayKey);
    } catch (const std::exception& error) {
      kAwakeLog.error("{}: its end was not forgotten: {}", kTitle, error.what());
    }
  }
  if (hadOne) state_->changed();
}

}  // namespace quillo::app
