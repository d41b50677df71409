#include "quillo/platform/desktop/clipboard_types.h"

#include <algorithm>
#include <array>
#include <utility>

namespace quillo::platform::desktop {
namespace {

struct Row {
  std::string_view type;
  std::string_view target;
};

// Best target first within each type.
constexpr std::array<Row, 17> table{{
    {"public.utf8-plain-text", "text/plain;charset=utf-8"},
    {"public.utf8-plain-text", "UTF8_STRING"},
    {"public.utf8-plain-text", "text/plain"},
    {"public.html", "text/html"},
    {"public.rtf", "text/rtf"},
    {"public.rtf", "application/rtf"},
    {"public.png", "image/png"},
    {"public.tiff", "image/tiff"},
    {"public.jpeg", "image/jpeg"},
    {"public.heic", "image/heic"},
    {"public.file-url", "text/uri-list"},
    {"public.file-url", "x-special/gnome-copied-files"},
    // The page a copy came from: Chromium-based browsers and Firefox.
    {"org.chromium.source-url", "chromium/x-source-url"},
    {"org.chromium.source-url", "text/x-moz-url-priv"},
    {"org.nspasteboard.ConcealedType", "x-kde-passwordManagerHint"},
    {"org.nspasteboard.ConcealedType", "text/x-kde-passwordManagerHint"},
    {"com.brightmoor.quillo.clipboard-write", "application/x-quillo-clipboard-write"},
}};

constexpr std::array<std::string_view, 9> protocolTargets{"TARGETS",         "TIMESTAMP", "MULTIPLE",
                                                          "SAVE_TARGETS",    "DELETE",    "INSERT_SELECTION",
                                                          "INSERT_PROPERTY", "TEXT",      "COMPOUND_TEXT"};

}  // namespace

std::vector<std::string> targetsForType(std::string_view type) {
  std::vector<std::string> targets;
  for (const auto& row : table)
    if (row.type == type) targets.emplace_back(row.target);
  if (targets.empty()) targets.emplace_back(type);
  return targets;
}

std::optional<std::string> typeForTarget(std::string_view target) {
  if (std::find(protocolTargets.begin(), protocolTargets.end(), target) != protocolTargets.end())
    return std::nullopt;
  // STRING is Latin-1 text that every owner of UTF-8 text also offers as UTF8_STRING.
  if (target == "STRING") return std::nullopt;
  for (const auto& row : table)
    if (row.target == target) return std::string(row.type);
  return std::string(target);
}

std::vector<std::string> typesForTargets(const std::vector<std::string>& targets) {
  std::vector<std::string> types;
  for (const auto& target : targets)
    if (auto type = typeForTarget(target);
        type && std::find(types.begin(), types.end(), *type) == types.end())
      types.push_back(std::move(*type));
  return types;
}

std::vector<std::string> urisOfList(std::string_view list) {
  std::vector<std::string> uris;
  bool first = true;
  while (!list.empty()) {
    const auto end = list.find('\n');
    std::string_view line = list.substr(0, end);
    list = end == std::string_view::npos ? std::string_view{} : list.substr(end + 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\0'))
      line.remove_suffix(1);
    const bool verb = first && (line == "copy" || line == "cut");
    first = false;
    if (line.empty() || line.front() == '#' || verb) continue;
    uris.emplace_back(line);
  }
  return uris;
}

std::string uriList(const std::vector<std::string>& uris) {
  std::string list;
  for (const auto& uri : uris)
    list += uri + "\r\n";
  return list;
}

std::string copiedFilesList(const std::vector<std::string>& uris) {
  std::string list = "copy";
  for (const auto& uri : uris)
    list += "\n" + uri;
  return list;
}

}  // namespace quillo::platform::desktop
