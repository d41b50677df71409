#include <algorithm>

#include "quillo/core/system/settings_reader.h"

namespace quillo::core {

bool SettingsReader::isLoaded(std::span<const std::string> rows,
                              const std::optional<std::vector<std::string>>& previousRows, bool titleChanged,
                              std::chrono::nanoseconds elapsed, std::chrono::nanoseconds settle) {
  if (rows.empty() || !previousRows || !std::ranges::equal(rows, *previousRows)) return false;
  return titleChanged || elapsed >= settle;
}

bool SettingsReader::isSettingsWindow(bool isNew, std::string_view title, std::span<const Command> sections) {
  if (sections.empty()) return false;
  if (isNew) return true;
  return std::ranges::any_of(sections, [title](const Command& section) { return section.title == title; });
}

platform::Rect SettingsReader::appKitFrame(const platform::Rect& frame, double mainDisplayHeight) {
  return {{frame.origin.x, mainDisplayHeight - frame.maxY()}, frame.size};
}

}  // namespace quillo::core
