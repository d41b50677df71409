#include "quillo/core/system/menu_privacy.h"

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

namespace quillo::core::MenuPrivacy {
namespace {

// Something, a dot, then one to five letters or digits: "Report.pdf".
const icu::RegexPattern& fileNamePattern() {
  static const std::unique_ptr<icu::RegexPattern> pattern = [] {
    UErrorCode status = U_ZERO_ERROR;
    UParseError where;
    std::unique_ptr<icu::RegexPattern> compiled(
        icu::RegexPattern::compile(icu::UnicodeString(u".+\\.[A-Za-z0-9]{1,5}"), where, status));
    if (U_FAILURE(status)) throw std::logic_error("the file-name pattern does not compile");
    return compiled;
  }();
  return *pattern;
}

bool looksLikeFileName(std::string_view title) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::UnicodeString text = icu::UnicodeString::fromUTF8(icu::StringPiece(title.data(), title.size()));
  // ICU pattern objects may be shared between threads; each match needs its own matcher.
  const std::unique_ptr<icu::RegexMatcher> matcher(fileNamePattern().matcher(text, status));
  return U_SUCCESS(status) && matcher->matches(status) && U_SUCCESS(status);
}

bool looksLikeAddress(std::string_view title) {
  return title.find("://") != std::string_view::npos || title.find('@') != std::string_view::npos ||
         title.starts_with("www.");
}

std::vector<std::string> splitPath(std::string_view detail) {
  constexpr std::string_view kSeparator = " \u203A ";
  std::vector<std::string> path;
  if (detail.empty()) return path;
  std::size_t start = 0;
  for (auto end = detail.find(kSeparator); end != std::string_view::npos;
       end = detail.find(kSeparator, start)) {
    path.emplace_back(detail.substr(start, end - start));
    start = end + kSeparator.size();
  }
  path.emplace_back(detail.substr(start));
  return path;
}

}  // namespace

bool isData(std::string_view title, std::span<const std::string> path, std::string_view shortcut) {
  if (looksLikeFileName(title) || looksLikeAddress(title)) return true;
  if (!shortcut.empty()) return false;
  const bool underList = std::ranges::any_of(
      path, [](const std::string& menu) { return std::ranges::find(listMenus, menu) != listMenus.end(); });
  return underList || (!path.empty() && path.back() == "Window");
}

bool isData(const Command& command) {
  if (command.kind != Command::Kind::menuItem) return false;
  return isData(command.title, splitPath(command.detail), command.shortcut);
}

}  // namespace quillo::core::MenuPrivacy
