#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "quillo/app/action_tools.h"
#include "quillo/base/date.h"
#include "quillo/base/url.h"
#include "quillo/core/actions/process_call.h"
#include "quillo/core/capabilities/apple_event_call.h"
#include "quillo/core/commands/command.h"
#include "quillo/core/commands/result_row.h"

namespace quillo::app {

// The cases of RunPlan::step: what running a row or command does.
namespace step {

// A child process started without a shell and not waited for.
struct StartProcess {
  core::ProcessCall call;
  bool operator==(const StartProcess&) const = default;
};
// The keep-awake child, replacing any running one, until `until`.
struct KeepAwake {
  core::ProcessCall call;
  core::AwakeScope scope = core::AwakeScope::mac;
  base::Date until;
  bool operator==(const KeepAwake&) const = default;
};
// A bundle path on macOS, a desktop-file id on Linux.
struct OpenApplication {
  std::string application;
  bool operator==(const OpenApplication&) const = default;
};
struct OpenURL {
  std::string url;
  bool operator==(const OpenURL&) const = default;
};
struct OpenFile {
  std::string path;
  bool operator==(const OpenFile&) const = default;
};
struct RevealFile {
  std::string path;
  bool operator==(const RevealFile&) const = default;
};
struct PressMenuItem {
  core::MenuItemRef item;
  bool operator==(const PressMenuItem&) const = default;
};
struct SendAppleEvent {
  core::AppleEventCall call;
  bool operator==(const SendAppleEvent&) const = default;
};
struct StopKeepingAwake {
  bool operator==(const StopKeepingAwake&) const = default;
};
// `call` none: the system's own lock call.
struct LockScreen {
  std::optional<core::ProcessCall> call;
  bool operator==(const LockScreen&) const = default;
};

// Why running does nothing here.
enum class Idle {
  invalidValue,  // the typed value is not valid now (a keep-awake ending in the past)
  noValue,       // a parameterised action without a value
  settingsRow,   // pressed by the settings reader
  clipboard,     // pasted by the clipboard model
};
std::string_view rawValue(Idle reason);

struct Nothing {
  Idle reason = Idle::noValue;
  bool operator==(const Nothing&) const = default;
};

}  // namespace step

// What running a result row or a command would do, decided without doing it: the command
// runner carries it out, `quillo-cli run --dry-run` prints it. A plain value.
struct RunPlan {
  using Step = std::variant<step::StartProcess, step::KeepAwake, step::OpenApplication, step::OpenURL,
                            step::OpenFile, step::RevealFile, step::PressMenuItem, step::SendAppleEvent,
                            step::StopKeepingAwake, step::LockScreen, step::Nothing>;

  // The row's id ("action.volume#50") or the command's.
  std::string id;
  // The command title, which every log line about the run names.
  std::string title;
  Step step;

  bool operator==(const RunPlan&) const = default;
};

// The plan for a result row at `now`: its resolved invocation, or else its command's target.
RunPlan planRun(const core::ResultRow& row, base::Date now, const ActionTools& tools = {});
// The plan for a command by its target.
RunPlan planRun(const core::Command& command, const ActionTools& tools = {});
// Opening a file with its default application, or revealing it selected in the file manager.
RunPlan planFile(const core::Command& command, const base::Url& file, bool open);

// The step's case name as JSON prints it ("startProcess", "keepAwake", "openApplication", …).
std::string_view stepName(const RunPlan::Step& step);

}  // namespace quillo::app
