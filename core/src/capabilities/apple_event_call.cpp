#include "quillo/core/capabilities/apple_event_call.h"

namespace quillo::core {
namespace {

using platform::AppleEvent;
using platform::AppleEventDescriptor;
using platform::fourCharCode;

// The application object, then one property record per code, each "from" the one before.
AppleEventDescriptor specifier(const std::vector<std::string>& path) {
  AppleEventDescriptor current = AppleEventDescriptor::null();
  for (const std::string& code : path) {
    current = AppleEventDescriptor::record(
        fourCharCode("obj "), {{fourCharCode("want"), AppleEventDescriptor::typeCode(fourCharCode("prop"))},
                               {fourCharCode("form"), AppleEventDescriptor::enumerated(fourCharCode("prop"))},
                               {fourCharCode("seld"), AppleEventDescriptor::typeCode(fourCharCode(code))},
                               {fourCharCode("from"), std::move(current)}});
  }
  return current;
}

std::optional<AppleEventDescriptor> descriptor(const AppleEventCall::Value& value) {
  if (const auto* boolean = std::get_if<AppleEventCall::Boolean>(&value)) {
    return AppleEventDescriptor::boolean(boolean->value);
  }
  if (const auto* integer = std::get_if<AppleEventCall::Integer>(&value)) {
    return AppleEventDescriptor::int32(integer->value);
  }
  if (const auto* enumerator = std::get_if<AppleEventCall::Enumerator>(&value)) {
    return AppleEventDescriptor::enumerated(fourCharCode(enumerator->code));
  }
  return std::nullopt;
}

AppleEvent addressed(std::string_view eventClass, std::string_view eventID, int pid) {
  AppleEvent event;
  event.eventClass = fourCharCode(eventClass);
  event.eventID = fourCharCode(eventID);
  event.targetProcess = pid;
  return event;
}

}  // namespace

std::optional<AppleEvent> AppleEventCall::event(int pid) const {
  if (const auto* property = std::get_if<Capability::PropertyOperation>(&operation)) {
    if (!value) return std::nullopt;
    auto data = descriptor(*value);
    if (!data) return std::nullopt;
    AppleEvent set = addressed("core", "setd", pid);
    set.setParameter(fourCharCode("----"), specifier(property->path));
    set.setParameter(fourCharCode("data"), std::move(*data));
    return set;
  }
  const auto& command = std::get<Capability::CommandOperation>(operation);
  if (command.event.size() != 8) return std::nullopt;
  AppleEvent event =
      addressed(std::string_view(command.event).substr(0, 4), std::string_view(command.event).substr(4), pid);
  if (value && command.parameter) {
    auto data = descriptor(*value);
    if (!data) return std::nullopt;
    event.setParameter(fourCharCode(*command.parameter), std::move(*data));
  }
  return event;
}

std::optional<AppleEvent> AppleEventCall::reading(int pid) const {
  const auto* property = std::get_if<Capability::PropertyOperation>(&operation);
  if (property == nullptr) return std::nullopt;
  AppleEvent get = addressed("core", "getd", pid);
  get.setParameter(fourCharCode("----"), specifier(property->path));
  return get;
}

AppleEventCall AppleEventCall::with(Value newValue) const {
  return {app, operation, std::move(newValue)};
}

std::optional<bool> AppleEventCall::boolean(const AppleEvent& reply) {
  const AppleEventDescriptor* direct = reply.parameter(fourCharCode("----"));
  if (direct == nullptr) return std::nullopt;
  return direct->asBoolean();
}

std::optional<AppleEventCall::ReplyError> AppleEventCall::failure(const AppleEvent& reply) {
  const AppleEventDescriptor* number = reply.parameter(fourCharCode("errn"));
  if (number == nullptr) return std::nullopt;
  ReplyError error;
  error.number = number->asInt32().value_or(0);
  if (const AppleEventDescriptor* text = reply.parameter(fourCharCode("errs")))
    error.text = text->asText().value_or("");
  return error;
}

}  // namespace quillo::core
