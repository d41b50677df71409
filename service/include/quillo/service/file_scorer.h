#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/service/file_query.h"
#include "quillo/service/vocabulary.h"
#include "quillo/service/word_net.h"

namespace quillo::service {

// One file the client asks about: its name, its folder ("~/Documents") and "file" or "folder".
struct FileRecord {
  std::string name;
  std::string folder;
  std::string kind;
};

struct FileScores {
  // In record order.
  std::vector<double> probabilities;
  // How likely matching names alone answers the query well (no kind or time described, and its
  // words found in names).
  double suitableForNameSearch = 0;
  long long wordsRead = 0;
};

// Scores files for a described search: a file of a kind the query does not ask for is unlikely;
// words left to look for count where they appear in the name (fully) or the folder (in part),
// also through the vocabulary and WordNet ("beach" finds "seaside"); without such words a file
// of the right kind is likely, the more so the earlier it comes, as the client sends the most
// recent first. Thread-safe; `wordNet` may be null.
FileScores scoreFiles(std::string_view query, std::span<const FileRecord> files, const Vocabulary& vocabulary,
                      const WordNet* wordNet);

}  // namespace quillo::service
