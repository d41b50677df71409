#include "quillo/app/file_search_answer.h"

#include <nlohmann/json.hpp>

namespace quillo::app {
namespace {

nlohmann::json entriesJson(const std::vector<core::FileIndex::ScoredEntry>& found) {
  nlohmann::json list = nlohmann::json::array();
  for (const auto& [entry, score] : found)
    list.push_back({{"kind", entry.kind},
                    {"url", entry.url.text},
                    {"size", entry.size},
                    {"modified", entry.modified.secondsSince1970},
                    {"score", score}});
  return list;
}

std::vector<core::FileIndex::ScoredEntry> entriesFrom(const nlohmann::json& list) {
  std::vector<core::FileIndex::ScoredEntry> found;
  for (const nlohmann::json& item : list) {
    core::FileIndex::ScoredEntry scored;
    item.at("kind").get_to(scored.entry.kind);
    scored.entry.url = base::Url{item.at("url").get<std::string>()};
    scored.entry.size = item.at("size").get<std::uint64_t>();
    scored.entry.modified = base::Date{item.at("modified").get<double>()};
    scored.score = item.at("score").get<int>();
    found.push_back(std::move(scored));
  }
  return found;
}

}  // namespace

FileSearchAnswer answerFileSearch(core::FileIndex& index, std::string_view query, int limit) {
  return {.folders = index.rootPaths(),
          .rootHits = index.rootMatches(query),
          .nameHits = index.filenameMatches(query, limit)};
}

std::string fileSearchAnswerJson(const FileSearchAnswer& answer) {
  const nlohmann::json json{{"folders", answer.folders},
                            {"rootHits", entriesJson(answer.rootHits)},
                            {"nameHits", entriesJson(answer.nameHits)}};
  return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

FileSearchAnswer fileSearchAnswerFromJson(std::string_view text) {
  try {
    const nlohmann::json json = nlohmann::json::parse(text);
    return {.folders = json.at("folders").get<std::vector<std::string>>(),
            .rootHits = entriesFrom(json.at("rootHits")),
            .nameHits = entriesFrom(json.at("nameHits"))};
  } catch (const nlohmann::json::exception& error) {
    throw FileSearchAnswerError(std::string("The running Quillo's file search answer cannot be read: ") +
                                error.what());
  }
}

std::optional<std::filesystem::path> fileSearchLockPath(const platform::System& system) {
  const std::optional<std::string> runtime = system.environment("XDG_RUNTIME_DIR");
  if (!runtime || runtime->empty()) return std::nullopt;
  return std::filesystem::path(*runtime) / "quillo" / "file-search.lock";
}

}  // namespace quillo::app
