#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/core/files/file_index.h"
#include "quillo/platform/system.h"

namespace quillo::app {

// What the running program answers `quillo-cli search --scope files` with from its live index:
// the folders it indexes and the entries the two local searches found, scored. The caller makes
// the rows and routes them itself, as it does over its own index.
struct FileSearchAnswer {
  std::vector<std::string> folders;
  std::vector<core::FileIndex::ScoredEntry> rootHits;
  std::vector<core::FileIndex::ScoredEntry> nameHits;
  bool operator==(const FileSearchAnswer&) const = default;
};

// An answer that does not parse or has the wrong shape.
class FileSearchAnswerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The answer of `index` to `query`, as its searches give it.
FileSearchAnswer answerFileSearch(core::FileIndex& index, std::string_view query, int limit);

// The lock file the running program holds (shared) while it answers file searches on the bus,
// "quillo/file-search.lock" in the user's runtime folder; none without one. A command line that
// finds nobody holding it searches by itself without loading a bus client to ask.
std::optional<std::filesystem::path> fileSearchLockPath(const platform::System& system);

// As JSON text on the bus, and back. fileSearchAnswerFromJson throws FileSearchAnswerError.
std::string fileSearchAnswerJson(const FileSearchAnswer& answer);
FileSearchAnswer fileSearchAnswerFromJson(std::string_view text);

}  // namespace quillo::app
