#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <numeric>

#include "quillo/core/files/file_entry.h"
#include "quillo/core/files/file_search_interpretation.h"
#include "quillo/core/json/decoding_error.h"

namespace quillo::core {
namespace {

using Interpretation = FileSearchInterpretation;
using Group = Interpretation::Group;

constexpr std::string_view kExtensionsMessage =
    "Expected bounded lowercase file extensions without glob or path syntax";
constexpr std::string_view kCategoryMessage =
    "A whole-category filter requires one nonempty file group and no folders";
constexpr std::string_view kGroupsMessage =
    "Expected disjoint weighted candidate groups covering the interpretation";

Group files(std::vector<std::string> extensions, double weight = 1) {
  return {.kind = FileEntry::Kind::file, .extensions = std::move(extensions), .weight = weight};
}
Group folders(double weight = 1) {
  return {.kind = FileEntry::Kind::folder, .extensions = {}, .weight = weight};
}

Interpretation specific(std::vector<std::string> extensions, std::optional<std::vector<Group>> groups = {},
                        bool includeFolders = false) {
  return {.restriction = Interpretation::Restriction::specific,
          .extensions = std::move(extensions),
          .includeFolders = includeFolders,
          .requiresRanking = true,
          .rankingMode = Interpretation::RankingMode::standard,
          .groups = std::move(groups)};
}

Interpretation category(std::vector<Group> groups, bool includeFolders = false) {
  std::vector<std::string> extensions;
  for (const Group& group : groups)
    extensions.insert(extensions.end(), group.extensions.begin(), group.extensions.end());
  Interpretation interpretation = specific(extensions, std::move(groups), includeFolders);
  interpretation.restriction = Interpretation::Restriction::category;
  return interpretation;
}

std::vector<std::string> numberedExtensions(int count) {
  std::vector<std::string> extensions;
  for (int index = 0; index < count; ++index)
    extensions.push_back("x" + std::to_string(index));
  return extensions;
}

TEST(FileEntry, KindRawValuesAreItsJson) {
  EXPECT_EQ(rawValue(FileEntry::Kind::file), "file");
  EXPECT_EQ(rawValue(FileEntry::Kind::folder), "folder");
  EXPECT_EQ(fileEntryKindFromRaw("folder"), FileEntry::Kind::folder);
  EXPECT_EQ(fileEntryKindFromRaw("Folder"), std::nullopt);
  EXPECT_EQ(nlohmann::json(FileEntry::Kind::folder), "folder");
  EXPECT_EQ(nlohmann::json("file").get<FileEntry::Kind>(), FileEntry::Kind::file);
  EXPECT_THROW(nlohmann::json("dir").get<FileEntry::Kind>(), DecodingError);
  EXPECT_THROW(nlohmann::json(1).get<FileEntry::Kind>(), DecodingError);
}

TEST(FileEntry, EqualityAndHashOverAllFields) {
  const FileEntry a{
      .kind = FileEntry::Kind::file, .url = base::Url::file("/a/b.pdf"), .size = 3, .modified = {5}};
  FileEntry b = a;
  EXPECT_EQ(a, b);
  EXPECT_EQ(std::hash<FileEntry>{}(a), std::hash<FileEntry>{}(b));
  b.size = 4;
  EXPECT_NE(a, b);
  const FileEntry folder{.kind = FileEntry::Kind::folder, .url = base::Url::file("/a/")};
  EXPECT_EQ(folder.modified, FileEntry::distantPast);
  EXPECT_EQ(folder.size, 0u);
}

struct ValidationCase {
  std::string name;
  Interpretation interpretation;
  std::optional<std::string_view> failure;
};

TEST(FileSearchInterpretation, ValidationChecksInOrder) {
  const double infinity = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<ValidationCase> cases = {
      {"plain", specific({"pdf", "docx"}), std::nullopt},
      {"no extensions", specific({}), std::nullopt},
      {"upper case", specific({"PDF"}), kExtensionsMessage},
      {"glob", specific({"p*"}), kExtensionsMessage},
      {"path", specific({"a/b"}), kExtensionsMessage},
      {"dot", specific({".pdf"}), kExtensionsMessage},
      {"empty", specific({""}), kExtensionsMessage},
      {"33 bytes", specific({std::string(33, 'a')}), kExtensionsMessage},
      {"32 bytes", specific({std::string(32, 'a')}), std::nullopt},
      {"256 extensions", specific(numberedExtensions(256)), std::nullopt},
      {"257 extensions", specific(numberedExtensions(257)), kExtensionsMessage},
      {"category of one file group", category({files({"jpg", "png"})}), std::nullopt},
      {"category without groups", [] {
         auto i = specific({"jpg"});
         i.restriction = Interpretation::Restriction::category;
         return i;
       }(), kCategoryMessage},
      {"category of two groups", category({files({"jpg"}), files({"png"}, 0.5)}), kCategoryMessage},
      {"category of a folder group", category({folders()}, true), kCategoryMessage},
      {"category with folders", category({files({"jpg"}), folders()}, true), kCategoryMessage},
      {"category of one group but folders", category({files({"jpg"})}, true), kCategoryMessage},
      {"weight 0.05", specific({"pdf"}, std::vector{files({"pdf"}, 0.05)}), std::nullopt},
      {"weight 1.0", specific({"pdf"}, std::vector{files({"pdf"}, 1.0)}), std::nullopt},
      {"weight 0.04", specific({"pdf"}, std::vector{files({"pdf"}, 0.04)}), kGroupsMessage},
      {"weight 1.01", specific({"pdf"}, std::vector{files({"pdf"}, 1.01)}), kGroupsMessage},
      {"weight infinity", specific({"pdf"}, std::vector{files({"pdf"}, infinity)}), kGroupsMessage},
      {"weight NaN", specific({"pdf"}, std::vector{files({"pdf"}, nan)}), kGroupsMessage},
      {"overlap", specific({"pdf", "docx"}, std::vector{files({"pdf"}), files({"pdf", "docx"})}), kGroupsMessage},
      {"not covering", specific({"pdf", "docx", "txt"}, std::vector{files({"pdf"}), files({"docx"})}),
       kGroupsMessage},
      {"covering more", specific({"pdf"}, std::vector{files({"pdf"}), files({"docx"})}), kGroupsMessage},
      {"empty file group", specific({}, std::vector{files({})}), kGroupsMessage},
      {"folder group with extensions", specific({"pdf"}, std::vector{Group{FileEntry::Kind::folder, {"pdf"}, 1}}, true),
       kGroupsMessage},
      {"folders and their group", specific({"pdf"}, std::vector{files({"pdf"}), folders(0.5)}, true), std::nullopt},
      {"folders without their group", specific({"pdf"}, std::vector{files({"pdf"})}, true), kGroupsMessage},
      {"folder group without folders", specific({"pdf"}, std::vector{files({"pdf"}), folders()}, false),
       kGroupsMessage},
      {"two folder groups", specific({}, std::vector{folders(), folders()}, true), kGroupsMessage},
      {"17 groups", [] {
         std::vector<Group> groups;
         for (const auto& extension : numberedExtensions(17)) groups.push_back(files({extension}));
         return specific(numberedExtensions(17), groups);
       }(), kGroupsMessage},
  };
  for (const ValidationCase& test : cases) {
    EXPECT_EQ(validationFailure(test.interpretation), test.failure) << test.name;
  }
}

TEST(FileSearchInterpretation, JsonRoundTripLeavesAbsentGroupsOut) {
  const Interpretation withGroups = specific({"pdf"}, std::vector{files({"pdf"}, 0.5), folders(0.25)}, true);
  const nlohmann::json json = withGroups;
  EXPECT_EQ(
      json.dump(),
      R"({"extensions":["pdf"],"groups":[{"extensions":["pdf"],"kind":"file","weight":0.5},)"
      R"({"extensions":[],"kind":"folder","weight":0.25}],"includeFolders":true,"rankingMode":"standard",)"
      R"("requiresRanking":true,"restriction":"specific"})");
  EXPECT_EQ(json.get<Interpretation>(), withGroups);
  EXPECT_FALSE(nlohmann::json(specific({"pdf"})).contains("groups"));
}

TEST(FileSearchInterpretation, DecodingFailsWithTheCheckMessageOrTheShape) {
  const auto decode = [](std::string_view text) { return nlohmann::json::parse(text).get<Interpretation>(); };
  const auto message = [&](std::string_view text) -> std::string {
    try {
      decode(text);
    } catch (const DecodingError& error) {
      return error.what();
    }
    return "decoded";
  };
  const auto compact = decode(
      R"({"restriction":"broad","extensions":[],"includeFolders":false,"requiresRanking":false,"rankingMode":"compact"})");
  EXPECT_EQ(compact.rankingMode, Interpretation::RankingMode::compact);
  EXPECT_EQ(compact.groups, std::nullopt);
  // A missing mode is the ordinary one.
  EXPECT_EQ(
      decode(R"({"restriction":"broad","extensions":[],"includeFolders":false,"requiresRanking":false})")
          .rankingMode,
      Interpretation::RankingMode::standard);
  // The checks' own messages, or else one naming the field of the wrong shape.
  const std::vector<std::pair<std::string, std::string_view>> failures = {
      {R"({"restriction":"specific","extensions":["PDF"],"includeFolders":false,"requiresRanking":true})",
       kExtensionsMessage},
      {R"({"restriction":"category","extensions":["pdf"],"includeFolders":false,"requiresRanking":true})",
       kCategoryMessage},
      {R"({"restriction":"specific","extensions":["pdf"],"includeFolders":false,"requiresRanking":true,)"
       R"("groups":[{"kind":"file","extensions":["pdf"],"weight":2}]})",
       kGroupsMessage},
      {R"({"restriction":"narrow","extensions":[],"includeFolders":false,"requiresRanking":true})",
       "restriction"},
      {R"({"restriction":"broad","extensions":[],"requiresRanking":true})", "includeFolders"},
      {R"({"restriction":"broad","extensions":"pdf","includeFolders":false,"requiresRanking":true})",
       "extensions"},
  };
  for (const auto& [text, expected] : failures) {
    const std::string found = message(text);
    const bool isCheck =
        expected == kExtensionsMessage || expected == kCategoryMessage || expected == kGroupsMessage;
    EXPECT_TRUE(isCheck ? found == expected : found.find(expected) != std::string::npos)
        << text << ": " << found;
  }
  EXPECT_THROW(decode("[]"), DecodingError);
}

std::vector<int> counts(const Interpretation& interpretation, int limit) {
  std::vector<int> result;
  // Kept in a variable: a range over a temporary optional's value would dangle.
  const auto allocations = interpretation.allocations(limit);
  for (const auto& allocation : allocations.value())
    result.push_back(allocation.count);
  return result;
}

TEST(FileSearchInterpretation, AllocationsSplitBySquaredWeights) {
  const auto two = specific({"pdf", "docx"}, std::vector{files({"pdf"}, 1.0), files({"docx"}, 0.5)});
  EXPECT_EQ(counts(two, 10), (std::vector{8, 2}));
  EXPECT_EQ(two.allocations(10)->front().group, files({"pdf"}, 1.0));
  // Equal remainders go to the earlier group.
  const auto three = specific({"a", "b", "c"}, std::vector{files({"a"}), files({"b"}), files({"c"})});
  EXPECT_EQ(counts(three, 10), (std::vector{4, 3, 3}));
  // Too few to go round: the third group is not forced to 1.
  EXPECT_EQ(counts(three, 2), (std::vector{1, 1, 0}));
  // Enough to go round: a starved group takes one from the largest.
  const auto skewed = specific({"a", "b"}, std::vector{files({"a"}, 1.0), files({"b"}, 0.05)});
  EXPECT_EQ(counts(skewed, 10), (std::vector{9, 1}));
  const auto total = [](const std::vector<int>& c) { return std::accumulate(c.begin(), c.end(), 0); };
  EXPECT_EQ(total(counts(skewed, 500)), 500);
}

TEST(FileSearchInterpretation, NoAllocationWithoutGroupsOrBudget) {
  EXPECT_EQ(specific({"pdf"}).allocations(10), std::nullopt);
  EXPECT_EQ(specific({"pdf"}, std::vector{files({"pdf"})}).allocations(0), std::nullopt);
  EXPECT_EQ(specific({}, std::vector<Group>{}).allocations(10), std::vector<Interpretation::Allocation>{});
}

}  // namespace
}  // namespace quillo::core
