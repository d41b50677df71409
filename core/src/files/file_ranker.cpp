#include "quillo/core/files/file_ranker.h"

#include <fmt/format.h>

#include <algorithm>
#include <chrono>
#include <cmath>

#include "quillo/base/errors.h"
#include "quillo/core/files/media_type.h"
#include "quillo/core/ranking/parallel_requests.h"
#include "quillo/core/service/ravo_questions.h"

namespace quillo::core {
namespace {

namespace Q = RavoQuestions;

constexpr int kFolderShareWithFiles = 250;

std::optional<double> probability(const std::map<std::string, double>& probabilities,
                                  const std::string& key) {
  const auto found = probabilities.find(key);
  if (found == probabilities.end()) return std::nullopt;
  return found->second;
}

void sortByProbability(std::vector<SemanticHit>& hits) {
  std::stable_sort(hits.begin(), hits.end(),
                   [](const SemanticHit& a, const SemanticHit& b) { return a.probability > b.probability; });
}

// A row's file entry as it is now on disk; the row itself carries display texts only.
std::optional<FileEntry> entryOf(const platform::FileSystem* files, const Command& command) {
  const auto* file = std::get_if<target::File>(&command.target);
  if (!file) return std::nullopt;
  FileEntry entry{command.kind == Command::Kind::folder ? FileEntry::Kind::folder : FileEntry::Kind::file,
                  file->url, 0, FileEntry::distantPast};
  const auto path = file->url.filePath();
  if (entry.kind != FileEntry::Kind::file || !path || files == nullptr) return entry;
  try {
    if (const auto status = files->status(*path)) {
      entry.size = status->size;
      if (status->modified) entry.modified = base::Date{std::floor(status->modified->secondsSince1970)};
    }
  } catch (const platform::FileSystemError&) {
    // Unknown size and date, as for a file that is gone.
  }
  return entry;
}

// A probability as a log line shows it: the shortest text that reads back the same, "1.0" for one.
std::string decimal(double value) {
  std::string text = fmt::format("{}", value);
  if (text.find_first_of(".einf") == std::string::npos) text += ".0";
  return text;
}

}  // namespace

FileRanker::FileRanker(std::shared_ptr<BackendClient> client, std::shared_ptr<FileIndex> index,
                       Options options)
    : client_(std::move(client)), index_(std::move(index)), options_(std::move(options)) {}

std::vector<SemanticHit> FileRanker::hits(const std::map<std::string, double>& probabilities,
                                          std::span<const FileEntry> entries,
                                          const std::optional<std::map<std::string, FileEntry::Kind>>& kinds,
                                          const FileDisplay& display) {
  std::vector<SemanticHit> found;
  for (std::size_t k = 0; k < entries.size(); ++k) {
    const std::string key = "c" + std::to_string(k);
    if (kinds) {
      const auto kind = kinds->find(key);
      if (kind == kinds->end() || kind->second != entries[k].kind) continue;
    }
    const auto value = probability(probabilities, key);
    if (value && *value >= Q::minimumFileProbability)
      found.push_back({fileCommand(entries[k], display), *value});
  }
  return found;
}

std::vector<std::vector<FileEntry>> FileRanker::groups(const std::vector<FileEntry>& entries,
                                                       std::size_t size) {
  std::vector<std::vector<FileEntry>> chunks;
  for (std::size_t begin = 0; begin < entries.size(); begin += size)
    chunks.emplace_back(
        entries.begin() + static_cast<std::ptrdiff_t>(begin),
        entries.begin() + static_cast<std::ptrdiff_t>(std::min(entries.size(), begin + size)));
  return chunks;
}

std::vector<FileEntry> FileRanker::candidates(std::string_view query, const BackendAnswer& fileTypes) const {
  const int budget = static_cast<int>(Q::maxFileCandidates);
  std::vector<std::string> extensions;
  bool foldersWanted = false;
  if (const auto& interpretation = fileTypes.interpretation) {
    if (const auto allocations = interpretation->allocations(budget); allocations && !allocations->empty()) {
      std::vector<FileIndex::CandidateGroup> fileGroups;
      int folderCount = 0;
      for (const auto& allocation : *allocations) {
        if (allocation.group.kind == FileEntry::Kind::folder)
          folderCount += allocation.count;
        else
          fileGroups.push_back({allocation.group.extensions, allocation.count});
      }
      std::vector<FileEntry> found = index_->files(fileGroups);
      if (folderCount > 0) {
        std::vector<FileEntry> folders = index_->folders(query, folderCount);
        found.insert(found.end(), folders.begin(), folders.end());
      }
      return found;
    }
    extensions = interpretation->extensions;
    foldersWanted = interpretation->includeFolders;
  } else {
    for (MediaType type : kAllMediaTypes) {
      if (probability(fileTypes.probabilities, std::string(rawValue(type))).value_or(0) <
          Q::minimumMediaTypeProbability)
        continue;
      for (std::string_view extension : core::extensions(type))
        extensions.emplace_back(extension);
    }
    foldersWanted =
        probability(fileTypes.probabilities, "folder").value_or(0) >= Q::minimumMediaTypeProbability;
  }

  std::vector<FileEntry> found;
  if (foldersWanted) found = index_->folders(query, extensions.empty() ? budget : kFolderShareWithFiles);
  if (!extensions.empty()) {
    const int left = budget - static_cast<int>(found.size());
    std::vector<FileEntry> files = index_->files(extensions, left);
    found.insert(found.end(), files.begin(), files.end());
  }
  return found;
}

SemanticResult FileRanker::rank(std::string_view query, const Update& onUpdate, std::stop_token stop) const {
  base::throwIfCancelled(stop);
  const auto start = std::chrono::steady_clock::now();
  const BackendAnswer fileTypes = client_->fileTypes(query, stop);

  SemanticResult result;
  result.query = std::string(query);
  result.noneProbability = probability(fileTypes.probabilities, "none").value_or(1);
  result.inputTokens = fileTypes.usage.inputTokens;
  const auto finish = [&] {
    result.latency = std::chrono::steady_clock::now() - start;
    return result;
  };

  const std::vector<FileEntry> found = candidates(query, fileTypes);
  base::throwIfCancelled(stop);
  if (found.empty()) return finish();

  const auto& interpretation = fileTypes.interpretation;
  if (interpretation && !interpretation->requiresRanking) {
    for (const FileEntry& entry : found)
      result.hits.push_back({fileCommand(entry, options_.display), 1.0});
    return finish();
  }

  const auto mode =
      interpretation ? interpretation->rankingMode : FileSearchInterpretation::RankingMode::standard;
  const auto chunks = groups(found, Q::filesPerRequest);
  askInParallel<BackendAnswer>(
      chunks.size(), stop,
      [&](std::size_t k, std::stop_token chunkStop) {
        return client_->files(query, chunks[k], false, mode, chunkStop);
      },
      [&](std::size_t k, const BackendAnswer& answer) {
        std::vector<SemanticHit> more =
            hits(answer.probabilities, chunks[k], answer.candidateKinds, options_.display);
        result.hits.insert(result.hits.end(), more.begin(), more.end());
        sortByProbability(result.hits);
        result.inputTokens += answer.usage.inputTokens;
        if (onUpdate) onUpdate(finish());
      });
  return finish();
}

SemanticResult FileRanker::rankShortlist(std::string_view query, const std::vector<Command>& commands,
                                         std::stop_token stop, std::ostream* routeLog) const {
  base::throwIfCancelled(stop);
  const auto start = std::chrono::steady_clock::now();
  std::vector<FileEntry> entries;
  for (const Command& command : commands)
    if (auto entry = entryOf(options_.files, command)) entries.push_back(std::move(*entry));
  const BackendAnswer answer =
      client_->files(query, entries, true, FileSearchInterpretation::RankingMode::standard, stop);

  SemanticResult result;
  result.query = std::string(query);
  const auto suitable = probability(answer.probabilities, "suitable_for_fff");
  if (suitable && *suitable >= Q::minimumFilenameIntentProbability)
    result.hits = hits(answer.probabilities, entries, answer.candidateKinds, options_.display);
  sortByProbability(result.hits);
  if (routeLog)
    *routeLog << "[quillo-file-route] shortlist candidates=" << commands.size()
              << " suitable_for_fff=" << (suitable ? decimal(*suitable) : "disabled")
              << " accepted=" << result.hits.size()
              << " next=" << (result.hits.empty() ? "broad-search" : "show-shortlist") << std::endl;
  result.latency = std::chrono::steady_clock::now() - start;
  result.inputTokens = answer.usage.inputTokens;
  return result;
}

}  // namespace quillo::core
