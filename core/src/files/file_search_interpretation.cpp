#include "quillo/core/files/file_search_interpretation.h"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <set>

#include "../json/json_fields.h"
#include "quillo/base/enum_names.h"

namespace quillo::core {
namespace {

using Interpretation = FileSearchInterpretation;

constexpr base::EnumNames<Interpretation::Restriction, 4> kRestrictions({{
    {Interpretation::Restriction::specific, "specific"},
    {Interpretation::Restriction::category, "category"},
    {Interpretation::Restriction::broad, "broad"},
    {Interpretation::Restriction::uncertain, "uncertain"},
}});

constexpr base::EnumNames<Interpretation::RankingMode, 2> kRankingModes({{
    {Interpretation::RankingMode::standard, "standard"},
    {Interpretation::RankingMode::compact, "compact"},
}});

constexpr std::string_view kExtensionsMessage =
    "Expected bounded lowercase file extensions without glob or path syntax";
constexpr std::string_view kCategoryMessage =
    "A whole-category filter requires one nonempty file group and no folders";
constexpr std::string_view kGroupsMessage =
    "Expected disjoint weighted candidate groups covering the interpretation";

constexpr std::size_t kMaxExtensions = 256;
constexpr std::size_t kMaxExtensionBytes = 32;
constexpr std::size_t kMaxGroups = 16;
constexpr double kMinWeight = 0.05;
constexpr double kMaxWeight = 1.0;

bool isPlainExtension(const std::string& extension) {
  return !extension.empty() && extension.size() <= kMaxExtensionBytes &&
         std::all_of(extension.begin(), extension.end(),
                     [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'); });
}

bool extensionsAreBounded(const Interpretation& interpretation) {
  return interpretation.extensions.size() <= kMaxExtensions &&
         std::all_of(interpretation.extensions.begin(), interpretation.extensions.end(), isPlainExtension);
}

bool isWholeCategoryFilter(const Interpretation& interpretation) {
  if (interpretation.restriction != Interpretation::Restriction::category) return true;
  const auto& groups = interpretation.groups;
  return groups && groups->size() == 1 && groups->front().kind == FileEntry::Kind::file &&
         !groups->front().extensions.empty() && !interpretation.includeFolders;
}

bool groupsCoverDisjointly(const Interpretation& interpretation) {
  if (!interpretation.groups) return true;
  const auto& groups = *interpretation.groups;
  if (groups.size() > kMaxGroups) return false;
  std::size_t folderGroups = 0;
  std::set<std::string> covered;
  for (const Interpretation::Group& group : groups) {
    if (!std::isfinite(group.weight) || group.weight < kMinWeight || group.weight > kMaxWeight) return false;
    if (group.kind == FileEntry::Kind::folder) {
      if (!group.extensions.empty()) return false;
      ++folderGroups;
      continue;
    }
    if (group.extensions.empty()) return false;
    for (const std::string& extension : group.extensions) {
      // A repeat, within a group or across groups, is an overlap.
      if (!covered.insert(extension).second) return false;
    }
  }
  if (folderGroups != (interpretation.includeFolders ? 1u : 0u)) return false;
  return covered == std::set<std::string>(interpretation.extensions.begin(), interpretation.extensions.end());
}

template <class Enum, std::size_t N>
Enum decodeEnum(const nlohmann::json& json, std::string_view key, const base::EnumNames<Enum, N>& names) {
  const auto raw = json::required<std::string>(json, key);
  const auto value = names.value(raw);
  if (!value) throw DecodingError("Unexpected value for \"" + std::string(key) + "\": \"" + raw + "\"");
  return *value;
}

}  // namespace

std::string_view rawValue(Interpretation::Restriction restriction) {
  return kRestrictions.name(restriction);
}
std::optional<Interpretation::Restriction> restrictionFromRaw(std::string_view raw) {
  return kRestrictions.value(raw);
}
std::string_view rawValue(Interpretation::RankingMode mode) {
  return kRankingModes.name(mode);
}
std::optional<Interpretation::RankingMode> rankingModeFromRaw(std::string_view raw) {
  return kRankingModes.value(raw);
}

std::optional<std::string_view> validationFailure(const Interpretation& interpretation) {
  if (!extensionsAreBounded(interpretation)) return kExtensionsMessage;
  if (!isWholeCategoryFilter(interpretation)) return kCategoryMessage;
  if (!groupsCoverDisjointly(interpretation)) return kGroupsMessage;
  return std::nullopt;
}

std::optional<std::vector<Interpretation::Allocation>> Interpretation::allocations(int limit) const {
  if (!groups) return std::nullopt;
  if (groups->empty()) return std::vector<Allocation>{};
  if (limit < 1) return std::nullopt;

  double shareSum = 0;
  for (const Group& group : *groups)
    shareSum += group.weight * group.weight;
  std::vector<Allocation> result;
  std::vector<double> remainders;
  int given = 0;
  for (const Group& group : *groups) {
    const double quota = shareSum > 0 ? group.weight * group.weight * limit / shareSum : 0;
    const int floor = static_cast<int>(std::floor(quota));
    result.push_back({group, floor});
    remainders.push_back(quota - floor);
    given += floor;
  }

  // The units lost to rounding down go to the largest remainders; a stable sort keeps group order
  // among equal ones.
  std::vector<std::size_t> order(result.size());
  for (std::size_t index = 0; index < order.size(); ++index)
    order[index] = index;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return remainders[a] > remainders[b]; });
  for (std::size_t next = 0; given < limit && !order.empty(); next = (next + 1) % order.size()) {
    ++result[order[next]].count;
    ++given;
  }

  if (static_cast<std::size_t>(limit) >= result.size()) {
    for (Allocation& starved : result) {
      if (starved.count > 0) continue;
      auto richest =
          std::max_element(result.begin(), result.end(),
                           [](const Allocation& a, const Allocation& b) { return a.count < b.count; });
      --richest->count;
      ++starved.count;
    }
  }
  return result;
}

void to_json(nlohmann::json& json, const Interpretation::Group& group) {
  json = {{"kind", group.kind}, {"extensions", group.extensions}, {"weight", group.weight}};
}

void from_json(const nlohmann::json& json, Interpretation::Group& group) {
  json::object(json, "a candidate group");
  group.kind = json::required<FileEntry::Kind>(json, "kind");
  group.extensions = json::required<std::vector<std::string>>(json, "extensions");
  group.weight = json::required<double>(json, "weight");
}

void to_json(nlohmann::json& json, const Interpretation& interpretation) {
  json = {{"restriction", rawValue(interpretation.restriction)},
          {"extensions", interpretation.extensions},
          {"includeFolders", interpretation.includeFolders},
          {"requiresRanking", interpretation.requiresRanking},
          {"rankingMode", rawValue(interpretation.rankingMode)}};
  if (interpretation.groups) json["groups"] = *interpretation.groups;
}

void from_json(const nlohmann::json& json, Interpretation& interpretation) {
  json::object(json, "a file search interpretation");
  Interpretation decoded;
  decoded.restriction = decodeEnum(json, "restriction", kRestrictions);
  decoded.extensions = json::required<std::vector<std::string>>(json, "extensions");
  decoded.includeFolders = json::required<bool>(json, "includeFolders");
  decoded.requiresRanking = json::required<bool>(json, "requiresRanking");
  if (json.contains("rankingMode")) decoded.rankingMode = decodeEnum(json, "rankingMode", kRankingModes);
  decoded.groups = json::optional<std::vector<Interpretation::Group>>(json, "groups");
  if (const auto failure = validationFailure(decoded)) throw DecodingError(std::string(*failure));
  interpretation = std::move(decoded);
}

}  // namespace quillo::core
