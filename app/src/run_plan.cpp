#include "quillo/app/run_plan.h"

#include <type_traits>

namespace quillo::app {
namespace step {

std::string_view rawValue(Idle reason) {
  switch (reason) {
    case Idle::invalidValue:
      return "invalidValue";
    case Idle::noValue:
      return "noValue";
    case Idle::settingsRow:
      return "settingsRow";
    case Idle::clipboard:
      return "clipboard";
  }
  return "noValue";
}

}  // namespace step

namespace {

constexpr std::string_view kApplicationPrefix = "app.";
constexpr std::string_view kDesktopEntrySuffix = ".desktop";

std::string pathOf(const base::Url& url) {
  return url.filePath().value_or(url.text);
}

// A desktop entry opens by its desktop-file id, which its command id carries after "app.";
// a bundle opens by its path.
std::string applicationOf(const core::Command& command, const base::Url& bundle) {
  std::string path = pathOf(bundle);
  if (command.id.starts_with(kApplicationPrefix) && path.ends_with(kDesktopEntrySuffix))
    return command.id.substr(kApplicationPrefix.size());
  return path;
}

RunPlan::Step targetStep(const core::Command& command, const ActionTools& tools) {
  return std::visit(
      [&](const auto& target) -> RunPlan::Step {
        using Target = std::decay_t<decltype(target)>;
        if constexpr (std::is_same_v<Target, core::target::App>)
          return step::OpenApplication{applicationOf(command, target.bundle)};
        if constexpr (std::is_same_v<Target, core::target::OpenUrl>) return step::OpenURL{target.url.text};
        if constexpr (std::is_same_v<Target, core::target::Shell>)
          return step::StartProcess{{"/bin/sh", {"-c", target.commandLine}}};
        if constexpr (std::is_same_v<Target, core::target::MenuItem>) return step::PressMenuItem{target.item};
        if constexpr (std::is_same_v<Target, core::target::SettingsRow>)
          return step::Nothing{step::Idle::settingsRow};
        if constexpr (std::is_same_v<Target, core::target::File>) return step::RevealFile{pathOf(target.url)};
        if constexpr (std::is_same_v<Target, core::target::Definition>)
          return step::Nothing{step::Idle::noValue};
        if constexpr (std::is_same_v<Target, core::target::Clipboard>)
          return step::Nothing{step::Idle::clipboard};
        if constexpr (std::is_same_v<Target, core::target::StopKeepingAwake>) return step::StopKeepingAwake{};
        if constexpr (std::is_same_v<Target, core::target::LockScreen>)
          return step::LockScreen{tools.lockScreen};
      },
      command.target);
}

base::Date keepAwakeEnd(const core::invocation::End& end, base::Date now) {
  if (const auto* after = std::get_if<core::invocation::After>(&end))
    return base::Date{now.secondsSince1970 + static_cast<double>(after->seconds)};
  return std::get<core::invocation::At>(end).date;
}

RunPlan::Step invocationStep(const core::ActionInvocation& invocation, base::Date now,
                             const ActionTools& tools) {
  if (const auto* event = std::get_if<core::invocation::AppleEvent>(&invocation))
    return step::SendAppleEvent{event->call};
  auto call = tools.processCall(invocation, now);
  if (!call) return step::Nothing{step::Idle::invalidValue};
  if (const auto* awake = std::get_if<core::invocation::KeepAwake>(&invocation))
    return step::KeepAwake{std::move(*call), awake->scope, keepAwakeEnd(awake->end, now)};
  return step::StartProcess{std::move(*call)};
}

}  // namespace

RunPlan planRun(const core::ResultRow& row, base::Date now, const ActionTools& tools) {
  const core::ActionInvocation* invocation = row.invocation();
  RunPlan::Step step = invocation ? invocationStep(*invocation, now, tools) : targetStep(row.command, tools);
  return {row.id(), row.command.title, std::move(step)};
}

RunPlan planRun(const core::Command& command, const ActionTools& tools) {
  return {command.id, command.title, targetStep(command, tools)};
}

RunPlan planFile(const core::Command& command, const base::Url& file, bool open) {
  RunPlan::Step step = open ? RunPlan::Step{step::OpenFile{pathOf(file)}} : step::RevealFile{pathOf(file)};
  return {command.id, command.title, std::move(step)};
}

std::string_view stepName(const RunPlan::Step& step) {
  return std::visit(
      [](const auto& value) -> std::string_view {
        using Step = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<Step, step::StartProcess>) return "startProcess";
        if constexpr (std::is_same_v<Step, step::KeepAwake>) return "keepAwake";
        if constexpr (std::is_same_v<Step, step::OpenApplication>) return "openApplication";
        if constexpr (std::is_same_v<Step, step::OpenURL>) return "openURL";
        if constexpr (std::is_same_v<Step, step::OpenFile>) return "openFile";
        if constexpr (std::is_same_v<Step, step::RevealFile>) return "revealFile";
        if constexpr (std::is_same_v<Step, step::PressMenuItem>) return "pressMenuItem";
        if constexpr (std::is_same_v<Step, step::SendAppleEvent>) return "sendAppleEvent";
        if constexpr (std::is_same_v<Step, step::StopKeepingAwake>) return "stopKeepingAwake";
        if constexpr (std::is_same_v<Step, step::LockScreen>) return "lockScreen";
        if constexpr (std::is_same_v<Step, step::Nothing>) return "nothing";
      },
      step);
}

}  // namespace quillo::app
