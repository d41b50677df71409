#include "session_json.h"

#include "search_json.h"

namespace quillo::cli {
namespace {

nlohmann::ordered_json ravoJson(const app::RavoState& state) {
  nlohmann::ordered_json json{
      {"state", app::stateName(state)}, {"cached", nullptr}, {"reason", nullptr}, {"message", nullptr}};
  if (const auto* off = std::get_if<app::ravo::Off>(&state)) json["reason"] = off->reason;
  if (const auto* answered = std::get_if<app::ravo::Answered>(&state)) json["cached"] = answered->cached;
  if (const auto* failed = std::get_if<app::ravo::Failed>(&state)) json["message"] = failed->message;
  return json;
}

}  // namespace

nlohmann::ordered_json sessionStateJson(const app::SearchModel& model, std::chrono::milliseconds at,
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
       model.rows().empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(model.selection())},
      {"feedback",
       feedback ? nlohmann::ordered_json(app::rawValue(*feedback)) : nlohmann::ordered_json(nullptr)},
      {"message", message ? nlohmann::ordered_json(*message) : nlohmann::ordered_json(nullptr)},
  };
}

}  // namespace quillo::cli
