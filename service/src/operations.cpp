#include "quillo/service/operations.h"

#include <cmath>

#include "quillo/service/file_query.h"
#include "quillo/service/file_scorer.h"
#include "quillo/service/text_analysis.h"
#include "quillo/service/web_search_guess.h"

namespace quillo::service {
namespace {

// Probabilities this small say nothing; leaving them out keeps answers short.
constexpr double kSmallestReported = 0.001;
// As many as the client sends in one request, and a little room.
constexpr std::size_t kMaxCandidates = 1000;
// A hit for a file, as the client counts one.
constexpr double kFileHit = 0.5;
constexpr std::size_t kMaxQueryBytes = 1000;

const nlohmann::json& member(const nlohmann::json& object, const char* key) {
  const auto found = object.find(key);
  if (found == object.end()) throw InvalidRequest(std::string("missing \"") + key + "\"");
  return *found;
}

std::string stringMember(const nlohmann::json& object, const char* key, std::size_t maxBytes = 4096) {
  const nlohmann::json& value = member(object, key);
  if (!value.is_string()) throw InvalidRequest(std::string("\"") + key + "\" is not a string");
  std::string text = value.get<std::string>();
  if (text.size() > maxBytes) throw InvalidRequest(std::string("\"") + key + "\" is too long");
  return text;
}

std::optional<std::string> optionalString(const nlohmann::json& object, const char* key) {
  if (!object.contains(key)) return std::nullopt;
  return stringMember(object, key);
}

double rounded(double probability) {
  return std::round(probability * 10000) / 10000;
}

RankScope scopeOf(const nlohmann::json& record) {
  if (!record.is_object()) throw InvalidRequest("\"scope\" is not an object");
  RankScope scope{.kind = stringMember(record, "kind", 64),
                  .app = optionalString(record, "app"),
                  .name = optionalString(record, "name"),
                  .includeWebSearch = false};
  if (scope.kind != "commands" && scope.kind != "menu" && scope.kind != "sections" && scope.kind != "pane")
    throw InvalidRequest("unknown scope");
  if (record.contains("includeWebSearch")) {
    if (!record["includeWebSearch"].is_boolean())
      throw InvalidRequest("\"includeWebSearch\" is not a boolean");
    scope.includeWebSearch = scope.kind == "commands" && record["includeWebSearch"].get<bool>();
  }
  return scope;
}

}  // namespace

RavoOperations::RavoOperations(const Vocabulary& vocabulary, const WordNet* wordNet,
                               CommandRanker::Options options)
    : vocabulary_(vocabulary), wordNet_(wordNet), ranker_(vocabulary, wordNet, options) {}

nlohmann::json RavoOperations::rankCommands(const nlohmann::json& body) const {
  const std::string query = stringMember(body, "query", kMaxQueryBytes);
  const RankScope scope = scopeOf(member(body, "scope"));
  const nlohmann::json& list = member(body, "candidates");
  if (!list.is_array() || list.size() > kMaxCandidates)
    throw InvalidRequest("\"candidates\" is not a short array");
  std::vector<RankCandidate> candidates;
  candidates.reserve(list.size());
  for (const nlohmann::json& record : list) {
    if (!record.is_object()) throw InvalidRequest("a candidate is not an object");
    candidates.push_back({.kind = stringMember(record, "kind"),
                          .title = stringMember(record, "title"),
                          .hint = stringMember(record, "hint")});
  }
  const CommandRanking ranking = ranker_.rank(query, scope, candidates);
  nlohmann::json probabilities = nlohmann::json::object();
  for (std::size_t index = 0; index < ranking.probabilities.size(); ++index) {
    if (ranking.probabilities[index] >= kSmallestReported)
      probabilities["c" + std::to_string(index)] = rounded(ranking.probabilities[index]);
  }
  probabilities["none"] = rounded(ranking.none);
  long long written = static_cast<long long>(probabilities.size());
  nlohmann::json answer{{"probabilities", std::move(probabilities)}};
  if (scope.includeWebSearch) {
    const WebSearchGuess guess = guessWebSearch(query, vocabulary_, ranking.none);
    written += static_cast<long long>(guess.siteProbabilities.size() + guess.termProbabilities.size());
    nlohmann::json web{{"siteProbabilities", guess.siteProbabilities}};
    if (!guess.termProbabilities.empty()) web["termProbabilities"] = guess.termProbabilities;
    answer["webSearch"] = std::move(web);
  }
  answer["usage"] = {{"input_tokens", ranking.wordsRead}, {"output_tokens", written}};
  return answer;
}

nlohmann::json RavoOperations::fileTypes(const nlohmann::json& body) const {
  const std::string query = stringMember(body, "query", kMaxQueryBytes);
  const nlohmann::json& includeFolders = member(body, "includeFolders");
  if (!includeFolders.is_boolean()) throw InvalidRequest("\"includeFolders\" is not a boolean");
  const FileQueryReading reading = readFileQuery(query, vocabulary_);
  core::FileSearchInterpretation interpretation = interpretationOf(reading);
  if (!includeFolders.get<bool>() && interpretation.includeFolders) {
    interpretation.includeFolders = false;
    std::erase_if(*interpretation.groups,
                  [](const auto& group) { return group.kind == core::FileEntry::Kind::folder; });
    if (interpretation.groups->empty()) interpretation = interpretationOf({});
  }
  const bool named = !reading.types.empty() || !reading.extensions.empty() || reading.folders;
  nlohmann::json probabilities = nlohmann::json::object();
  for (const core::MediaType type : core::kAllMediaTypes) {
    const auto list = core::extensions(type);
    const bool asked =
        std::find(reading.types.begin(), reading.types.end(), type) != reading.types.end() ||
        std::any_of(reading.extensions.begin(), reading.extensions.end(), [&](const std::string& e) {
          return std::find(list.begin(), list.end(), e) != list.end();
        });
    probabilities[std::string(core::rawValue(type))] = asked ? 0.95 : 0.03;
  }
  probabilities["folder"] = reading.folders ? 0.9 : 0.05;
  probabilities["none"] = named || !reading.nameWords.empty() ? 0.05 : 0.9;
  const long long written = static_cast<long long>(probabilities.size()) + 1;
  return {
      {"probabilities", std::move(probabilities)},
      {"interpretation", interpretation},
      {"usage",
       {{"input_tokens", static_cast<long long>(rankingWords(query).size())}, {"output_tokens", written}}}};
}

nlohmann::json RavoOperations::rankFiles(const nlohmann::json& body) const {
  const std::string query = stringMember(body, "query", kMaxQueryBytes);
  const nlohmann::json& list = member(body, "files");
  if (!list.is_array() || list.size() > kMaxCandidates)
    throw InvalidRequest("\"files\" is not a short array");
  const nlohmann::json& classifyIntent = member(body, "classifyIntent");
  if (!classifyIntent.is_boolean()) throw InvalidRequest("\"classifyIntent\" is not a boolean");
  const std::optional<std::string> mode = optionalString(body, "rankingMode");
  if (mode && !core::rankingModeFromRaw(*mode)) throw InvalidRequest("unknown ranking mode");
  const bool compact = mode == "compact";
  std::vector<FileRecord> files;
  for (const nlohmann::json& record : list) {
    if (!record.is_object()) throw InvalidRequest("a file is not an object");
    FileRecord file{.name = stringMember(record, "name"),
                    .folder = stringMember(record, "folder"),
                    .kind = stringMember(record, "kind", 16)};
    if (file.kind != "file" && file.kind != "folder") throw InvalidRequest("unknown file kind");
    files.push_back(std::move(file));
  }
  const FileScores scores = scoreFiles(query, files, vocabulary_, wordNet_);
  nlohmann::json probabilities = nlohmann::json::object();
  nlohmann::json kinds = nlohmann::json::object();
  double best = 0;
  for (std::size_t index = 0; index < files.size(); ++index) {
    const double probability = scores.probabilities[index];
    best = std::max(best, probability);
    // The compact answer carries the hits alone.
    if (compact ? probability < kFileHit : probability < kSmallestReported) continue;
    const std::string key = "c" + std::to_string(index);
    probabilities[key] = rounded(probability);
    kinds[key] = files[index].kind;
  }
  probabilities["none"] = rounded(std::clamp(1 - best, 0.0, 1.0));
  nlohmann::json answer;
  if (classifyIntent.get<bool>()) {
    probabilities["suitable_for_fff"] = rounded(scores.suitableForNameSearch);
    answer["interpretation"] = interpretationOf(readFileQuery(query, vocabulary_));
  }
  const auto written = static_cast<long long>(probabilities.size()) + static_cast<long long>(kinds.size());
  answer["probabilities"] = std::move(probabilities);
  answer["candidateKinds"] = std::move(kinds);
  answer["usage"] = {{"input_tokens", scores.wordsRead}, {"output_tokens", written}};
  return answer;
}

std::optional<Reply> RavoOperations::answer(const std::string& path, const CheckedRequest& request) const {
  try {
    if (path == "/v1/rank/commands") return Reply{.status = 200, .body = rankCommands(request.json)};
    if (path == "/v1/files/types") return Reply{.status = 200, .body = fileTypes(request.json)};
    if (path == "/v1/rank/files") return Reply{.status = 200, .body = rankFiles(request.json)};
    if (path == "/v1/warmup") return Reply{.status = 200, .body = {{"warmed", true}}};
  } catch (const InvalidRequest&) {
    return Reply{.status = 400, .body = {{"error", "invalid_request"}}};
  } catch (const nlohmann::json::exception&) {
    return Reply{.status = 400, .body = {{"error", "invalid_request"}}};
  }
  return std::nullopt;
}

}  // namespace quillo::service
