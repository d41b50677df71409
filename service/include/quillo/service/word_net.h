#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quillo::service {

// How a related word relates to the one asked about.
enum class Relation { synonym, derived, broader };

struct RelatedWord {
  std::string word;
  Relation relation = Relation::synonym;
  bool operator==(const RelatedWord&) const = default;
};

struct WordNetOptions {
  // Senses of each part of speech that count, most frequent first: rare senses add noise.
  std::size_t sensesPerPartOfSpeech = 3;
  // Senses whose broader terms count.
  std::size_t broaderSenses = 1;
};

// The WordNet database (Debian's wordnet-base data) read lazily: its sorted index files are
// mapped into memory and searched by halving, and only the synset lines a word needs are read,
// so opening costs nothing and a first question a few page reads. Words are looked up in their
// base form (plural, past and comparative endings and the exception lists undone).
//
// Thread-safe: the mapped files are read-only; answers are kept in a cache behind a mutex.
class WordNet {
 public:
  using Options = WordNetOptions;

  // Maps the files of `folder` (/usr/share/wordnet). Throws std::runtime_error when one of the
  // index or data files is missing.
  explicit WordNet(const std::filesystem::path& folder, Options options = {});
  ~WordNet();
  WordNet(const WordNet&) = delete;
  WordNet& operator=(const WordNet&) = delete;

  // Single words related to a lower-case word: its synonyms in its most frequent senses, words
  // derived from it ("loud" → "loudness") and broader terms of its first sense. Multi-word
  // phrases are left out. Empty for a word WordNet does not know.
  std::vector<RelatedWord> related(std::string_view word) const;

  // Where Debian installs the data.
  static constexpr std::string_view kDefaultFolder = "/usr/share/wordnet";

 private:
  struct Files;
  std::vector<RelatedWord> lookUp(std::string_view word) const;

  std::unique_ptr<Files> files_;
  Options options_;
  mutable std::mutex mutex_;
  mutable std::unordered_map<std::string, std::vector<RelatedWord>> cache_;
};

}  // namespace quillo::service
