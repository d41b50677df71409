#include "quillo/service/file_query.h"

#include <algorithm>

#include "quillo/service/text_analysis.h"

namespace quillo::service {
namespace {

using core::FileEntry;
using Interpretation = core::FileSearchInterpretation;

std::vector<std::string> extensionsOf(core::MediaType type) {
  std::vector<std::string> list;
  for (const std::string_view extension : core::extensions(type))
    list.emplace_back(extension);
  return list;
}

std::optional<core::MediaType> typeOfExtension(std::string_view extension) {
  for (const core::MediaType type : core::kAllMediaTypes) {
    const auto list = core::extensions(type);
    if (std::find(list.begin(), list.end(), extension) != list.end()) return type;
  }
  return std::nullopt;
}

bool contains(const std::vector<std::string>& words, const std::string& word) {
  return std::find(words.begin(), words.end(), word) != words.end();
}

template <class T>
void addOnce(std::vector<T>& list, const T& value) {
  if (std::find(list.begin(), list.end(), value) == list.end()) list.push_back(value);
}

// Words that only describe a file search ("files", "find") and name nothing.
bool isFileFiller(const std::string& word) {
  static const std::vector<std::string> kFiller = {"file", "files", "find",   "show", "open", "search",
                                                   "all",  "named", "called", "last", "ago"};
  return contains(kFiller, word);
}

bool isTypeWord(const Vocabulary& vocabulary, const std::string& word) {
  return std::any_of(vocabulary.typeWords.begin(), vocabulary.typeWords.end(),
                     [&](const auto& entry) { return contains(entry.second, word); });
}

// Extensions that are also everyday words ("key", "pages"), or too short to tell: taken as words.
bool isEverydayWord(const std::string& word) {
  static const std::vector<std::string> kWords = {"key", "pages", "numbers", "raw", "c",  "h",
                                                  "go",  "sh",    "ts",      "rs",  "kt", "rb",
                                                  "md",  "gz",    "7z",      "xz",  "pkg"};
  return contains(kWords, word);
}

}  // namespace

FileQueryReading readFileQuery(std::string_view query, const Vocabulary& vocabulary) {
  FileQueryReading reading;
  for (const std::string& word : rankingWords(query)) {
    const std::string singular =
        word.size() > 3 && word.ends_with('s') ? word.substr(0, word.size() - 1) : word;
    bool named = false;
    if (!isTypeWord(vocabulary, word)) {
      // "pdfs", "csv", "mp3": an extension typed as a word restricts the search to it.
      for (const std::string& candidate : {word, singular}) {
        if (typeOfExtension(candidate) && !isEverydayWord(candidate) &&
            !vocabulary.stopWords.contains(candidate)) {
          addOnce(reading.extensions, candidate);
          named = true;
          break;
        }
      }
    }
    if (named) continue;
    for (const auto& [raw, words] : vocabulary.typeWords) {
      if (!contains(words, word)) continue;
      if (const auto type = core::mediaTypeFromRaw(raw)) addOnce(reading.types, *type);
      named = true;
    }
    if (named) continue;
    if (contains(vocabulary.folderWords, word)) {
      reading.folders = true;
    } else if (contains(vocabulary.timeWords, word)) {
      reading.recent = true;
    } else if (!vocabulary.stopWords.contains(word) && !isFileFiller(word)) {
      reading.nameWords.push_back(word);
    }
  }
  return reading;
}

core::FileSearchInterpretation interpretationOf(const FileQueryReading& reading) {
  Interpretation interpretation;
  interpretation.requiresRanking = !reading.nameWords.empty();
  interpretation.rankingMode = Interpretation::RankingMode::standard;
  std::vector<Interpretation::Group> groups;
  const auto addGroup = [&](std::vector<std::string> extensions, double weight) {
    for (const std::string& extension : extensions)
      interpretation.extensions.push_back(extension);
    groups.push_back({.kind = FileEntry::Kind::file, .extensions = std::move(extensions), .weight = weight});
  };
  if (!reading.extensions.empty()) {
    interpretation.restriction = Interpretation::Restriction::specific;
    addGroup(reading.extensions, 1.0);
  } else if (reading.types.size() == 1 && !reading.folders) {
    interpretation.restriction = Interpretation::Restriction::category;
    addGroup(extensionsOf(reading.types.front()), 1.0);
  } else if (!reading.types.empty() || reading.folders) {
    interpretation.restriction =
        reading.types.empty() ? Interpretation::Restriction::specific : Interpretation::Restriction::broad;
    for (const core::MediaType type : reading.types)
      addGroup(extensionsOf(type), 1.0);
    interpretation.includeFolders = reading.folders;
  } else {
    // Nothing named: the kinds people most often describe, folders among them, and only the
    // hits in the answer, as the candidates are many and mixed.
    interpretation.restriction = Interpretation::Restriction::uncertain;
    addGroup(extensionsOf(core::MediaType::document), 1.0);
    addGroup(extensionsOf(core::MediaType::spreadsheet), 0.6);
    addGroup(extensionsOf(core::MediaType::presentation), 0.5);
    addGroup(extensionsOf(core::MediaType::image), 0.6);
    interpretation.includeFolders = true;
    interpretation.requiresRanking = true;
    interpretation.rankingMode = Interpretation::RankingMode::compact;
  }
  if (interpretation.includeFolders)
    groups.push_back(
        {.kind = FileEntry::Kind::folder, .extensions = {}, .weight = reading.types.empty() ? 1.0 : 0.6});
  interpretation.groups = std::move(groups);
  return interpretation;
}

}  // namespace quillo::service
