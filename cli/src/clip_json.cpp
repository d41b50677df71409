#include "clip_json.h"

#include <fmt/format.h>

namespace quillo::cli {

nlohmann::ordered_json entryJson(const clipboard::ClipboardEntry& entry) {
  nlohmann::ordered_json tags = nlohmann::ordered_json::array();
  for (const clipboard::ClipboardTag& tag : entry.tags) {
    tags.push_back({{"key", rawValue(tag.key)}, {"value", tag.value}});
  }
  return {
      {"id", entry.id.text()},
      {"title", entry.title},
      {"text", entry.text},
      {"kind", rawValue(entry.kind)},
      {"sourceAppID", entry.sourceAppID},
      {"sourceAppName", entry.sourceAppName},
      {"copiedAt", entry.copiedAt.secondsSince1970},
      {"pinned", entry.isPinned},
      {"pinnedAt", entry.pinnedAt ? nlohmann::ordered_json(entry.pinnedAt->secondsSince1970) : nullptr},
      {"bytes", entry.byteCount},
      {"tags", std::move(tags)},
      {"imageText", entry.imageText ? nlohmann::ordered_json(*entry.imageText) : nullptr},
  };
}

void printJsonDocument(std::FILE* output, const nlohmann::ordered_json& json) {
  fmt::print(output, "{}\n", json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace));
}

std::string oneLine(std::string_view text) {
  std::string line(text);
  for (char& c : line) {
    if (c == '\n' || c == '\r' || c == '\t') c = ' ';
  }
  return line;
}

}  // namespace quillo::cli
