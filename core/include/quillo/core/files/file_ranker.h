#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <stop_token>
#include <string_view>
#include <vector>

#include "quillo/core/files/file_command.h"
#include "quillo/core/files/file_entry.h"
#include "quillo/core/files/file_index.h"
#include "quillo/core/ranking/semantic_result.h"
#include "quillo/core/service/backend_client.h"

namespace quillo::core {

struct FileRankerOptions {
  FileDisplay display;
  // Where the size and date of a shortlisted file are read; without one they are unknown (zero
  // and the distant past). Must outlive the ranker.
  const platform::FileSystem* files = nullptr;
};

// Answers file searches with the ranking service: a described search ("the slides from last
// week") asks which kinds of files are meant, gathers recent candidates of those kinds from
// the index and has them ranked in parallel chunks; a shortlist of local rows is checked in one
// request.
class FileRanker {
 public:
  using Options = FileRankerOptions;
  using Update = std::function<void(const SemanticResult&)>;

  FileRanker(std::shared_ptr<BackendClient> client, std::shared_ptr<FileIndex> index, Options options = {});

  // Calls `onUpdate` on the calling thread with the hits so far after each chunk's answer.
  // Fails with the first failure of the file-type question or of any chunk, or base::Cancelled.
  SemanticResult rank(std::string_view query, const Update& onUpdate, std::stop_token stop = {}) const;

  // The local rows the service accepts for the query. `routeLog`, when given, receives the
  // "[quillo-file-route] shortlist …" line.
  SemanticResult rankShortlist(std::string_view query, const std::vector<Command>& commands,
                               std::stop_token stop = {}, std::ostream* routeLog = nullptr) const;

  // The entries whose "c" + position reaches the file threshold, skipping those the service
  // took for the other kind when it said which kind each was.
  static std::vector<SemanticHit> hits(const std::map<std::string, double>& probabilities,
                                       std::span<const FileEntry> entries,
                                       const std::optional<std::map<std::string, FileEntry::Kind>>& kinds,
                                       const FileDisplay& display);
  static std::vector<std::vector<FileEntry>> groups(const std::vector<FileEntry>& entries, std::size_t size);

  // The candidates a described search ranks, from the file-type answer.
  std::vector<FileEntry> candidates(std::string_view query, const BackendAnswer& fileTypes) const;

 private:
  std::shared_ptr<BackendClient> client_;
  std::shared_ptr<FileIndex> index_;
  Options options_;
};

}  // namespace quillo::core
