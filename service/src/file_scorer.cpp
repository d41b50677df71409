#include "quillo/service/file_scorer.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "quillo/service/text_analysis.h"

namespace quillo::service {
namespace {

constexpr double kWrongKind = 0.02;
constexpr double kFolderMatch = 0.6;
constexpr double kRelatedMatch = 0.7;

std::string extensionOf(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) return {};
  std::string extension = name.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return extension;
}

// Each word to look for, as the stems that count for it and how much.
using Expansions = std::vector<std::unordered_map<std::string, double>>;

Expansions expand(const std::vector<std::string>& words, const Vocabulary& vocabulary,
                  const WordNet* wordNet) {
  Expansions expansions;
  for (const std::string& word : words) {
    std::unordered_map<std::string, double> stems{{stem(word), 1.0}};
    const auto add = [&](const std::string& related, double weight) {
      if (vocabulary.stopWords.contains(related)) return;
      double& existing = stems[stem(related)];
      existing = std::max(existing, weight);
    };
    if (const auto found = vocabulary.meanings.find(word); found != vocabulary.meanings.end())
      for (const std::string& meant : found->second)
        add(meant, kRelatedMatch);
    if (wordNet != nullptr)
      for (const RelatedWord& related : wordNet->related(word))
        if (related.relation != Relation::broader) add(related.word, kRelatedMatch);
    expansions.push_back(std::move(stems));
  }
  return expansions;
}

bool kindWanted(const FileQueryReading& reading, const FileRecord& file) {
  if (file.kind == "folder") return reading.folders || (reading.types.empty() && reading.extensions.empty());
  if (reading.types.empty() && reading.extensions.empty()) return !reading.folders;
  const std::string extension = extensionOf(file.name);
  if (std::find(reading.extensions.begin(), reading.extensions.end(), extension) != reading.extensions.end())
    return true;
  return std::any_of(reading.types.begin(), reading.types.end(), [&](core::MediaType type) {
    const auto list = core::extensions(type);
    return std::find(list.begin(), list.end(), extension) != list.end();
  });
}

}  // namespace

FileScores scoreFiles(std::string_view query, std::span<const FileRecord> files, const Vocabulary& vocabulary,
                      const WordNet* wordNet) {
  FileScores scores;
  const FileQueryReading reading = readFileQuery(query, vocabulary);
  const Expansions expansions = expand(reading.nameWords, vocabulary, wordNet);
  scores.wordsRead = static_cast<long long>(rankingWords(query).size());
  bool everyWordInSomeName = !reading.nameWords.empty();
  std::vector<bool> wordSeenInName(reading.nameWords.size(), false);
  const double count = static_cast<double>(std::max<std::size_t>(files.size(), 1));
  for (std::size_t index = 0; index < files.size(); ++index) {
    const FileRecord& file = files[index];
    std::unordered_set<std::string> nameStems;
    std::unordered_set<std::string> folderStems;
    for (const std::string& word : rankingWords(file.name)) {
      nameStems.insert(stem(word));
      ++scores.wordsRead;
    }
    for (const std::string& word : rankingWords(file.folder)) {
      folderStems.insert(stem(word));
      ++scores.wordsRead;
    }
    // The client sends the most recent first.
    const double recency = 1.0 - static_cast<double>(index) / count;
    const bool wanted = kindWanted(reading, file);
    if (expansions.empty()) {
      scores.probabilities.push_back(wanted ? (reading.recent ? 0.6 + 0.35 * recency : 0.75) : kWrongKind);
      continue;
    }
    double covered = 0;
    for (std::size_t word = 0; word < expansions.size(); ++word) {
      double best = 0;
      for (const auto& [stemmed, weight] : expansions[word]) {
        if (nameStems.contains(stemmed)) {
          best = std::max(best, weight);
          if (weight == 1.0) wordSeenInName[word] = true;
        }
        if (folderStems.contains(stemmed)) best = std::max(best, weight * kFolderMatch);
      }
      covered += best;
    }
    const double coverage = covered / static_cast<double>(expansions.size());
    // Coverage of one half is even odds; full coverage near certain; the newer file wins a tie.
    const double logit = 9 * (coverage - 0.5) + 0.5 * recency;
    const double probability = 1 / (1 + std::exp(-logit));
    scores.probabilities.push_back(wanted ? probability : std::min(probability, kWrongKind));
  }
  for (const bool seen : wordSeenInName)
    everyWordInSomeName = everyWordInSomeName && seen;
  const bool described =
      !reading.types.empty() || !reading.extensions.empty() || reading.recent || reading.folders;
  scores.suitableForNameSearch = described ? 0.1 : everyWordInSomeName ? 0.9 : 0.3;
  return scores;
}

}  // namespace quillo::service
