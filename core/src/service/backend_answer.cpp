#include "quillo/core/service/backend_answer.h"

#include <nlohmann/json.hpp>

#include "../json/json_fields.h"

namespace quillo::core {
namespace {

BackendAnswer::Usage decodeUsage(const nlohmann::json& json) {
  json::object(json, "\"usage\"");
  return {.inputTokens = json::required<long long>(json, "input_tokens"),
          .outputTokens = json::required<long long>(json, "output_tokens")};
}

BackendAnswer::WebSearchAnswer decodeWebSearch(const nlohmann::json& json) {
  json::object(json, "\"webSearch\"");
  return {.siteProbabilities = json::required<std::map<std::string, double>>(json, "siteProbabilities"),
          .termProbabilities = json::optional<std::map<std::string, double>>(json, "termProbabilities")};
}

}  // namespace

void from_json(const nlohmann::json& json, BackendAnswer& answer) {
  json::object(json, "the answer");
  BackendAnswer decoded;
  decoded.probabilities = json::required<std::map<std::string, double>>(json, "probabilities");
  decoded.usage = decodeUsage(json::required<nlohmann::json>(json, "usage"));
  if (const auto web = json::optional<nlohmann::json>(json, "webSearch"))
    decoded.webSearch = decodeWebSearch(*web);
  decoded.candidateKinds = json::optional<std::map<std::string, FileEntry::Kind>>(json, "candidateKinds");
  decoded.interpretation = json::optional<FileSearchInterpretation>(json, "interpretation");
  answer = std::move(decoded);
}

void to_json(nlohmann::json& json, const BackendAnswer& answer) {
  json = {
      {"probabilities", answer.probabilities},
      {"usage", {{"input_tokens", answer.usage.inputTokens}, {"output_tokens", answer.usage.outputTokens}}}};
  if (answer.webSearch) {
    nlohmann::json web{{"siteProbabilities", answer.webSearch->siteProbabilities}};
    if (answer.webSearch->termProbabilities) web["termProbabilities"] = *answer.webSearch->termProbabilities;
    json["webSearch"] = std::move(web);
  }
  if (answer.candidateKinds) json["candidateKinds"] = *answer.candidateKinds;
  if (answer.interpretation) json["interpretation"] = *answer.interpretation;
}

}  // namespace quillo::core
