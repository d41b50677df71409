#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "quillo/app/action_tools.h"
#include "quillo/app/child_starter.h"
#include "quillo/base/date.h"
#include "quillo/core/actions/action_definition.h"
#include "quillo/core/actions/process_call.h"
#include "quillo/core/preferences/defaults_store.h"

namespace quillo::app {

// The one keep-awake child of the program, and when it ends.
//
// In the launcher (`owner`), the child ends with the launcher and its end is remembered in the
// defaults ("keepAwakeUntil", "keepAwakeDisplay"), so the next start resumes it for the time that
// is left. A program that cannot stop it later (`quillo-cli run`) uses `detached`: the child runs
// on its own until its time and nothing is written, since only the process that can stop a
// keep-awake may say one runs. Main thread only; the starter and the store must outlive it.
class KeepAwake {
 public:
  enum class Role { owner, detached };

  KeepAwake(const ChildStarter& starter, core::DefaultsStore& defaults, ActionTools tools = {},
            Role role = Role::owner);
  ~KeepAwake();
  KeepAwake(const KeepAwake&) = delete;
  KeepAwake& operator=(const KeepAwake&) = delete;

  // Ends a running keep-awake and starts `call` in its place, until `until`.
  void start(const core::ProcessCall& call, core::AwakeScope scope, base::Date until);
  // At launch: starts the remembered keep-awake for the time that is left, or forgets it when
  // none is left (or more than a day).
  void resume(base::Date now);
  // Asks the running child to end, then forgets it.
  void stop();
  // Drops the child and its end, and removes the defaults keys.
  void forget();

  // When the running keep-awake ends; none while none runs.
  std::optional<base::Date> until() const;
  // Called on the main thread whenever `until` changes.
  void setOnChange(std::function<void()> onChange);

 private:
  struct State;
  void write(base::Date until, core::AwakeScope scope);

  const ChildStarter& starter_;
  core::DefaultsStore& defaults_;
  ActionTools tools_;
  Role role_;
  std::shared_ptr<State> state_;
};

}  // namespace quillo::app
