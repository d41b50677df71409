#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "glob.h"
#include "glob_search.h"
#include "instance.h"
#include "search.h"
#include "temp_tree.h"

// Searches test each distinct name once and match paths folder by folder. These tests hold
// the results to what a plain walk over every path gives; watch_tests.cpp follows names as
// entries carrying them come and go.
namespace fff::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

constexpr std::int32_t kNameBand = 100000;

std::string lowered(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return text;
}

// Whether `query` occurs in `text` in order (the trees here are ASCII).
bool holds(std::string_view text, std::string_view query) {
  std::size_t found = 0;
  for (const char c : text)
    if (found < query.size() && c == query[found]) ++found;
  return found == query.size();
}

struct Found {
  std::vector<std::string> paths;
  std::vector<std::int32_t> scores;
  std::uint64_t total = 0;
};

// A deterministic tree of repeated, case-varied names, some matching only through folders.
class RandomTree : public ::testing::Test {
 protected:
  void SetUp() override {
    std::mt19937 random(20261205);
    const std::vector<std::string> pieces = {"src", "Main", "main", "a", "b", "rep",  "ORT", "doc",
                                             "x",   "_",    "-",    "2", "q", ".txt", ".c"};
    const auto name = [&] {
      std::string made;
      const int parts = 1 + static_cast<int>(random() % 3);
      for (int k = 0; k < parts; ++k)
        made += pieces[random() % pieces.size()];
      return made.find_first_not_of('.') == std::string::npos ? made + "n" : made;
    };
    std::vector<std::string> folders = {""};
    std::set<std::string> used;
    for (int k = 0; k < 250; ++k) {
      const std::string& parent = folders[random() % folders.size()];
      if (std::count(parent.begin(), parent.end(), '/') >= 4) continue;
      const std::string path = parent.empty() ? name() : parent + "/" + name();
      if (!used.insert(path).second) continue;
      tree_.dir(path);
      folders.push_back(path);
    }
    for (int k = 0; k < 2200; ++k) {
      const std::string& parent = folders[random() % folders.size()];
      const std::string path = parent.empty() ? name() : parent + "/" + name();
      if (!used.insert(path).second) continue;
      tree_.file(path, "");
    }
    InstanceOptions options;
    options.root = tree_.root();
    instance_ = std::make_unique<fff::Instance>(options);
    ASSERT_EQ(instance_->waitForScan(std::chrono::seconds(60)).state, ScanState::complete);
    instance_->read([&](const Index& index) {
      for (std::uint32_t at = 0; at < index.entries().size(); ++at) {
        if (index.entries()[at].kind == Kind::removed) continue;
        paths_.push_back(index.path(at));
        folders_.push_back(index.entries()[at].kind == Kind::directory);
      }
      return 0;
    });
    // Queries: pieces of real paths (slashes included), with their case changed at random.
    for (int k = 0; k < 60; ++k) {
      const std::string& path = paths_[random() % paths_.size()];
      std::string query;
      for (const char c : path)
        if (random() % 4 == 0) query += random() % 3 == 0 ? static_cast<char>(std::toupper(c)) : c;
      if (query.size() >= 2) queries_.push_back(query);
    }
    queries_.insert(queries_.end(), {"srcmain", "rep/main", "/main", "main.c", "xq", "zz", "b_2"});
  }

  Found search(const std::string& query, SearchOptions options) const {
    return instance_->read([&](const Index& index) {
      const Matches matches = fuzzySearch(index, query, options);
      Found found;
      for (const Match& match : matches.items) {
        found.paths.push_back(index.path(match.entry));
        found.scores.push_back(match.score);
      }
      found.total = matches.total;
      return found;
    });
  }

  TempTree tree_;
  std::unique_ptr<fff::Instance> instance_;
  std::vector<std::string> paths_;
  std::vector<bool> folders_;
  std::vector<std::string> queries_;
};

std::size_t depthOf(const std::string& path) {
  return static_cast<std::size_t>(std::count(path.begin(), path.end(), '/'));
}

TEST_F(RandomTree, EveryMatchIsFoundCountedAndOrdered) {
  for (const std::string& raw : queries_) {
    for (const bool matchCase : {false, true}) {
      for (const bool directoriesOnly : {false, true}) {
        for (const std::uint32_t maxDepth : {0u, 2u}) {
          const std::string query = matchCase ? raw : lowered(raw);
          std::set<std::string> names;
          std::set<std::string> throughFolders;
          for (std::size_t k = 0; k < paths_.size(); ++k) {
            const std::string& path = paths_[k];
            if (directoriesOnly && !folders_[k]) continue;
            if (maxDepth != 0 && depthOf(path) >= maxDepth) continue;
            const std::string text = matchCase ? path : lowered(path);
            const std::string name = text.substr(text.rfind('/') + 1);
            if (holds(name, query))
              names.insert(path);
            else if (holds(text, query))
              throughFolders.insert(path);
          }
          SearchOptions options{.limit = static_cast<std::uint32_t>(paths_.size()),
                                .maxDepth = maxDepth,
                                .matchCase = matchCase,
                                .directoriesOnly = directoriesOnly};
          const Found all = search(raw, options);
          const std::string what = "query '" + raw + "'" + (matchCase ? " matching case" : "") +
                                   (directoriesOnly ? " folders" : "") + " depth " + std::to_string(maxDepth);
          ASSERT_EQ(all.total, names.size() + throughFolders.size()) << what;
          ASSERT_EQ(all.paths.size(), names.size() + throughFolders.size()) << what;
          const std::set<std::string> firstPart(all.paths.begin(), all.paths.begin() + names.size());
          const std::set<std::string> rest(all.paths.begin() + names.size(), all.paths.end());
          ASSERT_EQ(firstPart, names) << what;
          ASSERT_EQ(rest, throughFolders) << what;
          for (std::size_t k = 0; k < all.paths.size(); ++k) {
            ASSERT_EQ(all.scores[k] > kNameBand, k < names.size()) << what << " at " << all.paths[k];
            if (k == 0 || k == names.size()) continue;
            const std::string& a = all.paths[k - 1];
            const std::string& b = all.paths[k];
            ASSERT_GE(all.scores[k - 1], all.scores[k]) << what;
            if (all.scores[k - 1] == all.scores[k]) {
              ASSERT_TRUE(a.size() < b.size() || (a.size() == b.size() && a < b))
                  << what << ": " << a << ", " << b;
            }
          }
          // Smaller pages are the start of the whole order while names fill them; once they do,
          // the total counts the names alone. Past the names, matches through folders are
          // chosen among a shortlist, but all are still counted.
          for (const std::uint32_t limit : {1u, 3u, 10u}) {
            for (const std::uint32_t offset : {0u, 2u}) {
              SearchOptions page = options;
              page.limit = limit;
              page.offset = offset;
              const Found part = search(raw, page);
              const std::string where =
                  what + " limit " + std::to_string(limit) + " offset " + std::to_string(offset);
              if (offset + limit <= names.size()) {
                ASSERT_EQ(part.total, names.size()) << where;
                ASSERT_EQ(part.paths, std::vector<std::string>(all.paths.begin() + offset,
                                                               all.paths.begin() + offset + limit))
                    << where;
                continue;
              }
              ASSERT_EQ(part.total, names.size() + throughFolders.size()) << where;
              ASSERT_EQ(part.paths.size(),
                        std::min<std::size_t>(
                            limit, all.paths.size() - std::min<std::size_t>(offset, all.paths.size())))
                  << where;
              for (std::size_t k = 0; k < part.paths.size(); ++k) {
                if (offset + k < names.size())
                  ASSERT_EQ(part.paths[k], all.paths[offset + k]) << where;
                else
                  ASSERT_TRUE(throughFolders.contains(part.paths[k])) << where << ": " << part.paths[k];
              }
            }
          }
          // Sharing the passes out over threads changes nothing.
          SearchOptions shared = options;
          shared.threads = 2;
          const Found parallel = search(raw, shared);
          ASSERT_EQ(parallel.paths, all.paths) << what;
          ASSERT_EQ(parallel.total, all.total) << what;
        }
      }
    }
  }
}

TEST_F(RandomTree, GlobsByExtensionMatchAPlainWalk) {
  // Patterns with the name ends they stand for; "*/*.c" also checks folders.
  const std::vector<std::pair<std::string, std::vector<std::string>>> patterns = {
      {"**/*.c", {".c"}},
      {"**/*.txt", {".txt"}},
      {"**/*.TXT", {".TXT"}},
      {"**/*2", {"2"}},
      {"**/*{.c,.txt}", {".c", ".txt"}},
      {"*/*.c", {".c"}}};
  for (const auto& entry : patterns) {
    // Named, not a structured binding, so that the lambdas below may capture it.
    const std::string& pattern = entry.first;
    const std::vector<std::string>& some = entry.second;
    for (const bool ignoreCase : {false, true}) {
      std::vector<std::string> expected;
      for (const std::string& path : paths_) {
        if (pattern.starts_with("*/") && depthOf(path) != 1) continue;
        const std::string name = path.substr(path.rfind('/') + 1);
        for (const std::string& end : some)
          if ((ignoreCase ? lowered(name) : name).ends_with(ignoreCase ? lowered(end) : end)) {
            expected.push_back(path);
            break;
          }
      }
      std::sort(expected.begin(), expected.end());
      for (const unsigned threads : {1u, 2u}) {
        const GlobOptions options{.limit = UINT32_MAX, .ignoreCase = ignoreCase, .threads = threads};
        const std::vector<std::string> found = instance_->read([&](const Index& index) {
          std::vector<std::string> paths;
          for (const Match& match : globSearch(index, pattern, options).items)
            paths.push_back(index.path(match.entry));
          return paths;
        });
        ASSERT_EQ(found, expected) << pattern << (ignoreCase ? " ignoring case" : "") << " threads "
                                   << threads;
      }
    }
  }
}

// A limited glob chooses each thread's first paths apart and then the first of those: the same
// as the first paths of all, whatever the threads.
TEST_F(RandomTree, ALimitedGlobKeepsTheFirstPathsOnAnyThreads) {
  std::vector<std::string> all = paths_;
  std::sort(all.begin(), all.end());
  for (const unsigned threads : {1u, 2u}) {
    for (const std::uint32_t limit : {1u, 17u, 200u}) {
      const std::vector<std::string> found = instance_->read([&](const Index& index) {
        std::vector<std::string> paths;
        for (const Match& match : globSearch(index, "**", {.limit = limit, .threads = threads}).items)
          paths.push_back(index.path(match.entry));
        return paths;
      });
      ASSERT_EQ(found, std::vector<std::string>(all.begin(), all.begin() + limit)) << threads << " " << limit;
    }
  }
}

// Newest first, each thread keeps only its newest matches and those tied with them as it goes:
// the same as ordering every match by time and then path, whatever the threads and the limit.
TEST(NewestFirstGlob, KeepsTheNewestOnAnyThreads) {
  TempTree tree;
  std::mt19937 random(20261208);
  std::vector<std::pair<std::time_t, std::string>> all;
  for (int k = 0; k < 3000; ++k) {
    const std::string path = "d" + std::to_string(k % 40) + "/f" + std::to_string(k) + ".txt";
    const std::time_t modified = 1700000000 + static_cast<std::time_t>(random() % 60) * 1000;
    tree.file(path, "", modified);
    all.emplace_back(modified, path);
  }
  std::sort(all.begin(), all.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first > b.first : a.second < b.second;
  });
  InstanceOptions options;
  options.root = tree.root();
  fff::Instance instance(options);
  ASSERT_EQ(instance.waitForScan(std::chrono::seconds(60)).state, ScanState::complete);
  ASSERT_TRUE(instance.waitForDetails(std::chrono::seconds(60)));
  for (const unsigned threads : {1u, 2u}) {
    for (const std::uint32_t limit : {1u, 10u, 1500u, 5000u}) {
      const Matches matches = instance.read([&](const Index& index) {
        return globSearch(index, "**/*.txt", {.limit = limit, .newestFirst = true, .threads = threads});
      });
      std::vector<std::string> found;
      instance.read([&](const Index& index) {
        for (const Match& match : matches.items)
          found.push_back(index.path(match.entry));
        return 0;
      });
      std::vector<std::string> expected;
      for (std::size_t k = 0; k < std::min<std::size_t>(limit, all.size()); ++k)
        expected.push_back(all[k].second);
      EXPECT_EQ(matches.total, all.size()) << threads << " " << limit;
      ASSERT_EQ(found, expected) << threads << " " << limit;
    }
  }
}

// Globs by name screen names by their first and last bytes, the patterns' screens joined:
// what they find is what matching every path against the pattern finds.
TEST_F(RandomTree, NameGlobsFindWhatMatchingEveryPathFinds) {
  const std::vector<std::string_view> patterns = {"**/rep",      "**/rep.*", "**/rep*", "**/Main*",
                                                  "**/{a,ORT}*", "**/*_",    "**/x?"};
  for (const bool ignoreCase : {false, true}) {
    const GlobOptions options{.limit = UINT32_MAX, .ignoreCase = ignoreCase};
    instance_->read([&](const Index& index) {
      const std::vector<GlobOutcome> together = globSearchEach(index, patterns, options);
      for (std::size_t k = 0; k < patterns.size(); ++k) {
        const Glob glob(patterns[k], ignoreCase);
        std::vector<std::string> expected;
        for (const std::string& path : paths_) {
          std::vector<std::string_view> components;
          for (std::size_t begin = 0; begin <= path.size();) {
            const std::size_t end = std::min(path.find('/', begin), path.size());
            components.push_back(std::string_view(path).substr(begin, end - begin));
            begin = end + 1;
          }
          if (glob.matches(components)) expected.push_back(path);
        }
        std::sort(expected.begin(), expected.end());
        std::vector<std::string> found;
        for (const Match& match : std::get<Matches>(together[k]).items)
          found.push_back(index.path(match.entry));
        EXPECT_FALSE(expected.empty()) << patterns[k];
        EXPECT_EQ(found, expected) << patterns[k] << (ignoreCase ? " ignoring case" : "");
      }
      return 0;
    });
  }
}

// Patterns searched together, more than one pass takes, give each what it gives alone, on one
// thread or two, whether the shares are cut to their first paths or not.
TEST_F(RandomTree, GlobsSearchedTogetherMatchEachSearchedAlone) {
  const std::vector<std::string_view> patterns = {"**/rep",   "**/rep.*", "**/rep*",  "**/*ORT*",
                                                  "**",       "*/*.c",    "**/main*", "{",
                                                  "**/*.txt", "src*/**",  "**/*2"};
  for (const bool ignoreCase : {false, true}) {
    for (const unsigned threads : {1u, 2u}) {
      for (const std::uint32_t limit : {17u, UINT32_MAX}) {
        const GlobOptions options{.limit = limit, .ignoreCase = ignoreCase, .threads = threads};
        instance_->read([&](const Index& index) {
          const std::vector<GlobOutcome> together = globSearchEach(index, patterns, options);
          ASSERT_EQ(together.size(), patterns.size());
          for (std::size_t k = 0; k < patterns.size(); ++k) {
            const std::string where = std::string(patterns[k]) + (ignoreCase ? " ignoring case" : "") +
                                      " threads " + std::to_string(threads) + " limit " +
                                      std::to_string(limit);
            if (patterns[k] == "{") {
              EXPECT_TRUE(std::holds_alternative<std::string>(together[k])) << where;
              continue;
            }
            const Matches alone = globSearch(index, patterns[k], {.limit = limit, .ignoreCase = ignoreCase});
            ASSERT_TRUE(std::holds_alternative<Matches>(together[k])) << where;
            const Matches& found = std::get<Matches>(together[k]);
            EXPECT_EQ(found.total, alone.total) << where;
            std::vector<std::uint32_t> entries;
            std::vector<std::uint32_t> expected;
            for (const Match& match : found.items)
              entries.push_back(match.entry);
            for (const Match& match : alone.items)
              expected.push_back(match.entry);
            EXPECT_EQ(entries, expected) << where;
          }
        });
      }
    }
  }
}

TEST(SharedNames, CaseVariantsAreScoredEachByTheirOwnCapitals) {
  TempTree tree;
  tree.file("readme.md", "");
  tree.file("ReadMe.md", "");
  tree.file("README.md", "");
  Instance instance(tree.root(), false);
  ASSERT_TRUE(instance.waitForScan());
  EXPECT_THAT(instance.mixedPaths("readme"), UnorderedElementsAre("readme.md", "ReadMe.md", "README.md"));
  EXPECT_THAT(instance.mixedPaths("ReadMe", 50, FFF_SEARCH_MATCH_CASE), ElementsAre("ReadMe.md"));
  // "M" starts a word only in "ReadMe": it alone gets the capital's credit.
  EXPECT_EQ(instance.mixedPaths("rm").front(), "ReadMe.md");
}

}  // namespace
}  // namespace fff::testing
