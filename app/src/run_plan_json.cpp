#include "quillo/app/run_plan_json.h"

#include <type_traits>

#include "awake_scope_name.h"

namespace quillo::app {
namespace {

using Json = nlohmann::ordered_json;

Json callJson(const core::ProcessCall& call) {
  return {{"executable", call.executable}, {"arguments", call.arguments}};
}

}  // namespace

Json toJson(const RunPlan& plan) {
  Json json{{"id", plan.id},          {"title", plan.title},   {"does", stepName(plan.step)},
            {"processCall", nullptr}, {"target", nullptr},     {"appAction", nullptr},
            {"keepAwake", nullptr},   {"appleEvent", nullptr}, {"reason", nullptr}};
  std::visit(
      [&](const auto& step) {
        using Step = std::decay_t<decltype(step)>;
        if constexpr (std::is_same_v<Step, step::StartProcess>) json["processCall"] = callJson(step.call);
        if constexpr (std::is_same_v<Step, step::KeepAwake>) {
          json["processCall"] = callJson(step.call);
          json["keepAwake"] = {{"scope", awakeScopeName(step.scope)}, {"until", step.until.secondsSince1970}};
        }
        if constexpr (std::is_same_v<Step, step::OpenApplication>) {
          json["target"] = step.application;
          if (step.action) json["appAction"] = *step.action;
        }
        if constexpr (std::is_same_v<Step, step::OpenURL>) json["target"] = step.url;
        if constexpr (std::is_same_v<Step, step::OpenFile> || std::is_same_v<Step, step::RevealFile>)
          json["target"] = step.path;
        if constexpr (std::is_same_v<Step, step::PressMenuItem>) json["target"] = plan.title;
        if constexpr (std::is_same_v<Step, step::SendAppleEvent>)
          json["appleEvent"] = {{"bundleID", step.call.app.bundleID}, {"application", step.call.app.name}};
        if constexpr (std::is_same_v<Step, step::LockScreen>) {
          if (step.call) json["processCall"] = callJson(*step.call);
        }
        if constexpr (std::is_same_v<Step, step::Nothing>) json["reason"] = step::rawValue(step.reason);
      },
      plan.step);
  return json;
}

}  // namespace quillo::app
