#include "quillo/app/invocation_json.h"

#include "awake_scope_name.h"

namespace quillo::app {
namespace {

using Json = nlohmann::ordered_json;

Json fourCharacterCodes(const core::Capability::Operation& operation) {
  if (const auto* command = std::get_if<core::Capability::CommandOperation>(&operation)) {
    return {{"command", command->event},
            {"parameter", command->parameter ? Json(*command->parameter) : Json(nullptr)}};
  }
  return {{"property", std::get<core::Capability::PropertyOperation>(operation).path}};
}

Json appleEventValue(const std::optional<core::AppleEventCall::Value>& value) {
  if (!value) return nullptr;
  return std::visit(
      [](const auto& payload) -> Json {
        using Value = std::decay_t<decltype(payload)>;
        if constexpr (std::is_same_v<Value, core::AppleEventCall::Boolean>)
          return {{"boolean", payload.value}};
        if constexpr (std::is_same_v<Value, core::AppleEventCall::Integer>)
          return {{"integer", payload.value}};
        if constexpr (std::is_same_v<Value, core::AppleEventCall::Enumerator>)
          return {{"enumerator", payload.code}};
        return {{"flipped", true}};
      },
      *value);
}

}  // namespace

Json toJson(const core::ParsedValue& value) {
  return std::visit(
      [](const auto& reading) -> Json {
        using Value = std::decay_t<decltype(reading)>;
        if constexpr (std::is_same_v<Value, core::parsed::Duration>) return {{"duration", reading.seconds}};
        if constexpr (std::is_same_v<Value, core::parsed::Delay>) return {{"delay", reading.seconds}};
        if constexpr (std::is_same_v<Value, core::parsed::Percent>) return {{"percent", reading.value}};
        if constexpr (std::is_same_v<Value, core::parsed::Number>) return {{"number", reading.value}};
        if constexpr (std::is_same_v<Value, core::parsed::Toggle>) return {{"toggle", reading.on}};
        if constexpr (std::is_same_v<Value, core::parsed::Clock>) {
          const auto& time = reading.time;
          Json period = nullptr;
          if (time.period) period = *time.period == core::ClockTime::Period::am ? "am" : "pm";
          return {{"clockTime", {{"hour", time.hour}, {"minute", time.minute}, {"period", period}}}};
        }
      },
      value);
}

Json toJson(const core::ActionInvocation& invocation) {
  return std::visit(
      [](const auto& value) -> Json {
        using Value = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<Value, core::invocation::SetVolume>) {
          return {{"setVolume", {{"channel", core::rawValue(value.channel)}, {"percent", value.percent}}}};
        }
        if constexpr (std::is_same_v<Value, core::invocation::KeepAwake>) {
          Json awake{{"scope", awakeScopeName(value.scope)}};
          if (const auto* after = std::get_if<core::invocation::After>(&value.end)) {
            awake["after"] = after->seconds;
          } else {
            awake["until"] = std::get<core::invocation::At>(value.end).date.secondsSince1970;
          }
          return {{"keepAwake", awake}};
        }
        if constexpr (std::is_same_v<Value, core::invocation::Screenshot>) {
          return {{"screenshot",
                   {{"mode", core::rawValue(value.mode)},
                    {"destination",
                     value.destination == core::ScreenshotDestination::clipboard ? "clipboard" : "file"},
                    {"delaySeconds", value.delaySeconds}}}};
        }
        if constexpr (std::is_same_v<Value, core::invocation::AppleEvent>) {
          return {{"appleEvent",
                   {{"bundleID", value.call.app.bundleID},
                    {"operation", fourCharacterCodes(value.call.operation)},
                    {"value", appleEventValue(value.call.value)}}}};
        }
      },
      invocation);
}

Json actionJson(const core::ResultRow& row, base::Date now, const core::ProcessCalls& calls) {
  if (!row.action) return nullptr;
  const core::ResolvedAction& action = *row.action;
  Json invocation = nullptr;
  Json process = nullptr;
  if (action.invocation) {
    invocation = toJson(*action.invocation);
    if (const auto call = calls.processCall(*action.invocation, now)) {
      process = {{"executable", call->executable}, {"arguments", call->arguments}};
    }
  }
  return {{"key", action.key},
          {"detail", action.detail},
          {"canRun", row.canRun()},
          {"invocation", invocation},
          {"processCall", process}};
}

}  // namespace quillo::app
