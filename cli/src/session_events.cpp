#include "session_events.h"

#include <array>
#include <nlohmann/json.hpp>
#include <utility>

namespace quillo::cli {
namespace {

using Type = SessionEvent::Type;

constexpr std::array<std::pair<std::string_view, Type>, 8> kTypes{{
    {"query", Type::query},
    {"tab", Type::tab},
    {"open", Type::open},
    {"close", Type::close},
    {"down", Type::down},
    {"up", Type::up},
    {"run", Type::run},
    {"wait", Type::wait},
}};

std::optional<std::string> optionalString(const nlohmann::json& object, const char* key) {
  const auto found = object.find(key);
  if (found == object.end() || found->is_null()) return std::nullopt;
  if (!found->is_string()) throw SessionEventError(std::string("\"") + key + "\" must be a string");
  return found->get<std::string>();
}

}  // namespace

SessionEvent parseSessionEvent(std::string_view line) {
  const nlohmann::json object = nlohmann::json::parse(line, nullptr, false);
  if (!object.is_object()) throw SessionEventError("an event is a JSON object on one line");
  SessionEvent event;
  const auto type = optionalString(object, "type");
  if (!type) throw SessionEventError("an event needs a \"type\"");
  const auto known =
      std::find_if(kTypes.begin(), kTypes.end(), [&](const auto& each) { return each.first == *type; });
  if (known == kTypes.end()) throw SessionEventError("unknown event type \"" + *type + "\"");
  event.type = known->second;

  if (const auto at = object.find("at"); at != object.end()) {
    if (!at->is_number() || at->get<double>() < 0)
      throw SessionEventError("\"at\" must be a number of milliseconds");
    event.at = std::chrono::milliseconds(static_cast<long long>(at->get<double>()));
  }
  if (event.type == Type::query) {
    const auto text = optionalString(object, "text");
    if (!text) throw SessionEventError("a query event needs a \"text\"");
    event.text = *text;
  }
  if (const auto alternate = object.find("alternate"); alternate != object.end()) {
    if (!alternate->is_boolean()) throw SessionEventError("\"alternate\" must be true or false");
    event.alternate = alternate->get<bool>();
  }
  event.frontApp = optionalString(object, "frontApp");
  event.menuTree = optionalString(object, "menuTree");
  return event;
}

}  // namespace quillo::cli
