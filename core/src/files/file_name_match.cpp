#include "quillo/core/files/file_name_match.h"

#include <unicode/uchar.h>

#include <string>
#include <vector>

#include "quillo/base/unicode.h"
#include "quillo/core/files/media_type.h"

namespace quillo::core {
namespace {

struct SplitName {
  std::u32string base;       // without the extension
  std::u32string extension;  // without the dot; empty when there is none
};

SplitName split(const std::u32string& name) {
  const auto dot = name.rfind(U'.');
  if (dot == std::u32string::npos || dot == 0) return {name, {}};
  return {name.substr(0, dot), name.substr(dot + 1)};
}

// Runs of letters and digits; everything else separates.
std::vector<std::u32string> words(const std::u32string& text) {
  std::vector<std::u32string> found;
  std::u32string current;
  for (char32_t c : text) {
    if (u_isalnum(static_cast<UChar32>(c))) {
      current.push_back(c);
    } else if (!current.empty()) {
      found.push_back(std::move(current));
      current.clear();
    }
  }
  if (!current.empty()) found.push_back(std::move(current));
  return found;
}

// The name's first words begin with the query's words, one for one: "q3 sales rep" names
// "Q3 Sales Report", because people stop typing a word once it is clear.
bool beginsWithAll(const std::vector<std::u32string>& name, const std::vector<std::u32string>& query) {
  if (query.size() > name.size()) return false;
  for (std::size_t k = 0; k < query.size(); ++k)
    if (!name[k].starts_with(query[k])) return false;
  return true;
}

bool holdsAllInOrder(const std::vector<std::u32string>& name, const std::vector<std::u32string>& query) {
  std::size_t next = 0;
  for (const std::u32string& word : name)
    if (next < query.size() && word == query[next]) ++next;
  return next == query.size();
}

}  // namespace

FileNameStrength fileNameStrength(std::string_view query, std::string_view fileName) {
  const std::u32string q = base::lowercasedScalars(base::trimmedWhiteSpace(query));
  const std::u32string f = base::lowercasedScalars(fileName);
  const SplitName name = split(f);
  if (q.empty()) return FileNameStrength::weak;
  if (q == f || q == name.base) return FileNameStrength::exact;
  const SplitName typed = split(q);
  if (!typed.extension.empty() && typed.base == name.base && name.extension.starts_with(typed.extension))
    return FileNameStrength::exact;

  const std::vector<std::u32string> queryWords = words(q);
  const std::vector<std::u32string> nameWords = words(isFilenameQuery(query) ? f : name.base);
  if (queryWords.empty()) return FileNameStrength::weak;
  if (beginsWithAll(nameWords, queryWords)) return FileNameStrength::strong;
  if (queryWords.size() > 1 && holdsAllInOrder(nameWords, queryWords)) return FileNameStrength::strong;
  return FileNameStrength::weak;
}

}  // namespace quillo::core
