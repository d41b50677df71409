#include "quillo/app/search_json.h"

#include <cmath>

#include "quillo/app/invocation_json.h"

namespace quillo::app {
namespace {

nlohmann::ordered_json optionalJson(const auto& value) {
  if (!value) return nullptr;
  return *value;
}

std::optional<std::string> urlOf(const core::Command& command) {
  if (const auto* open = std::get_if<core::target::OpenUrl>(&command.target)) return open->url.text;
  if (const auto* file = std::get_if<core::target::File>(&command.target)) return file->url.text;
  return std::nullopt;
}

nlohmann::ordered_json fileDetailJson(const core::Command::OptionalFileDetail& detail) {
  if (!detail) return nullptr;
  return {{"folder", detail->folder}, {"size", detail->size}, {"day", detail->day}};
}

}  // namespace

nlohmann::ordered_json rowJson(const core::ScoredRow& scored, base::Date now,
                               const core::ProcessCalls& calls) {
  const core::Command& command = scored.row.command;
  return {
      {"id", command.id},
      {"title", command.title},
      {"kind", core::displayName(command.kind)},
      {"detail", scored.row.detail()},
      {"hint", command.hint},
      {"score", optionalJson(scored.localScore)},
      {"probability", optionalJson(scored.row.probability)},
      {"url", optionalJson(urlOf(command))},
      {"fileDetail", fileDetailJson(command.fileDetail)},
      {"rowId", scored.row.id()},
      {"action", actionJson(scored.row, now, calls)},
  };
}

nlohmann::ordered_json serviceJson(const core::ServiceOutcome& outcome) {
  const auto& result = outcome.result;
  return {
      {"state", core::rawValue(outcome.state)},
      {"message", optionalJson(outcome.message)},
      {"latencyMs", result ? nlohmann::ordered_json(std::llround(result->latency.count() * 1000)) : nullptr},
      {"inputTokens", result ? nlohmann::ordered_json(result->inputTokens) : nullptr},
      {"noneProbability", result ? nlohmann::ordered_json(result->noneProbability) : nullptr},
  };
}

}  // namespace quillo::app
