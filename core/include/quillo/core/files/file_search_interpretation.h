#pragma once

#include <cstddef>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/core/files/file_entry.h"

namespace quillo::core {

// How the ranking service reads a file search described in words: which extensions it restricts
// the search to, whether folders count, whether and how candidates must be ranked, and how the
// candidate budget is split over groups of extensions. A plain value; decoding validates it.
struct FileSearchInterpretation {
  // How firmly the query restricts the file types.
  enum class Restriction { specific, category, broad, uncertain };
  // How the service is asked to rank the candidates.
  enum class RankingMode { standard, compact };

  // Extensions (or, for folders, none) that share part of the candidate budget by weight.
  struct Group {
    FileEntry::Kind kind = FileEntry::Kind::file;
    std::vector<std::string> extensions{};
    double weight = 1;
    bool operator==(const Group&) const = default;
  };

  // A group and the number of candidates it may bring.
  struct Allocation {
    Group group{};
    int count = 0;
    bool operator==(const Allocation&) const = default;
  };

  Restriction restriction = Restriction::uncertain;
  std::vector<std::string> extensions{};
  bool includeFolders = false;
  bool requiresRanking = false;
  RankingMode rankingMode = RankingMode::standard;
  std::optional<std::vector<Group>> groups{};

  // Splits `limit` candidates over the groups by their squared weights, largest remainders
  // first, so that every group gets at least one when there are enough to go round. In group
  // order. None without groups or when `limit` is below 1; empty for an empty group list.
  std::optional<std::vector<Allocation>> allocations(int limit) const;

  bool operator==(const FileSearchInterpretation&) const = default;
};

std::string_view rawValue(FileSearchInterpretation::Restriction restriction);
std::optional<FileSearchInterpretation::Restriction> restrictionFromRaw(std::string_view raw);
std::string_view rawValue(FileSearchInterpretation::RankingMode mode);
std::optional<FileSearchInterpretation::RankingMode> rankingModeFromRaw(std::string_view raw);

// The message of the first of the three checks the interpretation fails, or none when it is
// sound: bounded lower-case extensions, a whole-category filter of one file group without
// folders, and disjoint weighted groups that cover the extensions.
std::optional<std::string_view> validationFailure(const FileSearchInterpretation& interpretation);

// JSON with the keys "restriction", "extensions", "includeFolders", "requiresRanking",
// "rankingMode" and "groups" (left out when absent). A missing "rankingMode" reads as standard.
// Decoding fails with DecodingError for a wrong shape and for an interpretation that fails
// validation, carrying the check's message.
void to_json(nlohmann::json& json, const FileSearchInterpretation& interpretation);
void from_json(const nlohmann::json& json, FileSearchInterpretation& interpretation);
void to_json(nlohmann::json& json, const FileSearchInterpretation::Group& group);
void from_json(const nlohmann::json& json, FileSearchInterpretation::Group& group);

}  // namespace quillo::core
