#include "quillo/app/session_json.h"

#include "quillo/app/search_json.h"

namespace quillo::app {
namespace {

nlohmann::ordered_json ravoJson(const RavoState& state) {
  nlohmann::ordered_json json{
      {"state", stateName(state)}, {"cached", nullptr}, {"reason", nullptr}, {"message", nullptr}};
  if (const auto* off = std::get_if<ravo::Off>(&state)) json["reason"] = off->reason;
  if (const auto* answered = std::get_if<ravo::Answered>(&state)) json["cached"] = answered->cached;
  if (const auto* failed = std::get_if<ravo::Failed>(&state)) json["message"] = failed->message;
  return json;
}

}  // namespace

nlohmann::ordered_json sessionStateJson(const SearchModel& model, std::chrono::milliseconds at,
                                        base::Date now) {
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  for (const core::ScoredRow& row : model.scoredRows())
    rows.push_back(rowJson(row, now));
  const auto feedback = model.launcherFeedback();
  const auto message = model.launcherMessage();
  return {
      {"at", at.count()},
      {"query", model.query()},
      {"scope", core::rawValue(model.scope())},
      {"ravo", ravoJson(model.ravo())},
      {"rows", std::move(rows)},
      {"selection",
       model.selectedRow() ? nlohmann::ordered_json(model.selection()) : nlohmann::ordered_json(nullptr)},
      {"feedback", feedback ? nlohmann::ordered_json(rawValue(*feedback)) : nlohmann::ordered_json(nullptr)},
      {"message", message ? nlohmann::ordered_json(*message) : nlohmann::ordered_json(nullptr)},
  };
}

}  // namespace quillo::app
