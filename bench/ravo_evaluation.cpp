// The ranking evaluation: every query of bench/data/ravo-evaluation.tsv ranked against the
// launcher's catalogue (the actions, the settings panes and the applications of
// bench/data/ravo-applications.tsv), as the service ranks a "commands" question. A query counts
// as answered "none" when no command reaches the client's threshold (0.08) or "none" is more
// likely than the best one. Prints top-1 and top-3 accuracy and the share of unrelated queries
// answered "none", per half (A tunes, B reports); --misses lists what went wrong.
#include <fmt/format.h>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <numeric>
#include <sstream>

#include "quillo/core/index/catalog.h"
#include "quillo/service/command_ranker.h"
#include "quillo/service/word_net.h"

namespace {

using namespace quillo;

constexpr double kShowThreshold = 0.08;

struct Case {
  std::string half;
  std::string query;
  std::vector<std::string> expected;  // empty: unrelated
};

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::stringstream stream(text);
  for (std::string part; std::getline(stream, part, separator);)
    parts.push_back(part);
  return parts;
}

std::vector<Case> readCases(const std::string& path) {
  std::ifstream file(path);
  if (!file) throw std::runtime_error("cannot read " + path);
  std::vector<Case> cases;
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line.starts_with('#')) continue;
    const auto fields = split(line, '\t');
    if (fields.size() != 3) throw std::runtime_error("bad line: " + line);
    cases.push_back(
        {fields[0], fields[1], fields[2] == "none" ? std::vector<std::string>{} : split(fields[2], '|')});
  }
  return cases;
}

std::vector<service::RankCandidate> catalogue(const std::string& applicationsPath) {
  std::vector<service::RankCandidate> candidates;
  const auto add = [&](const core::Command& command) {
    candidates.push_back({std::string(core::displayName(command.kind)), command.title, command.hint});
  };
  for (const core::Command& command : core::Catalog::actionsTable("/home/user"))
    add(command);
  for (const core::Command& command : core::Catalog::settingsTable("Menu Bar"))
    add(command);
  std::ifstream file(applicationsPath);
  if (!file) throw std::runtime_error("cannot read " + applicationsPath);
  for (std::string line; std::getline(file, line);) {
    if (line.empty() || line.starts_with('#')) continue;
    candidates.push_back({"Application", line, std::string(core::Catalog::appHint(line).value_or(""))});
  }
  return candidates;
}

struct Tally {
  int related = 0;
  int top1 = 0;
  int top3 = 0;
  int unrelated = 0;
  int none = 0;
};

double share(int part, int whole) {
  return whole == 0 ? 0 : 100.0 * part / whole;
}

}  // namespace

int main(int argc, char** argv) {
  const bool misses = argc > 1 && std::string(argv[1]) == "--misses";
  try {
    const auto cases = readCases(QUILLO_BENCH_DATA "/ravo-evaluation.tsv");
    const auto candidates = catalogue(QUILLO_BENCH_DATA "/ravo-applications.tsv");
    const service::WordNet wordNet(service::WordNet::kDefaultFolder);
    const service::CommandRanker ranker(service::Vocabulary::builtIn(), &wordNet);
    std::map<std::string, Tally> tallies;
    for (const Case& c : cases) {
      const service::CommandRanking ranking = ranker.rank(
          c.query, {.kind = "commands", .app = {}, .name = {}, .includeWebSearch = true}, candidates);
      std::vector<std::size_t> order(candidates.size());
      std::iota(order.begin(), order.end(), 0);
      std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return ranking.probabilities[a] > ranking.probabilities[b];
      });
      const double best = ranking.probabilities[order[0]];
      const bool answeredNone = best < kShowThreshold || ranking.none > best;
      Tally& tally = tallies[c.half];
      const auto title = [&](std::size_t rank) { return candidates[order[rank]].title; };
      const auto describe = [&] {
        std::string text = fmt::format("none {:.2f}", ranking.none);
        for (std::size_t rank = 0; rank < 3; ++rank)
          text += fmt::format(" | {} {:.2f}", title(rank), ranking.probabilities[order[rank]]);
        return text;
      };
      if (c.expected.empty()) {
        ++tally.unrelated;
        if (answeredNone) {
          ++tally.none;
        } else if (misses) {
          fmt::print("{} unrelated \"{}\": {}\n", c.half, c.query, describe());
        }
        continue;
      }
      ++tally.related;
      const auto expected = [&](std::size_t rank) {
        return ranking.probabilities[order[rank]] >= kShowThreshold &&
               std::find(c.expected.begin(), c.expected.end(), title(rank)) != c.expected.end();
      };
      const bool first = !answeredNone && expected(0);
      const bool inTop3 = !answeredNone && (expected(0) || expected(1) || expected(2));
      tally.top1 += first;
      tally.top3 += inTop3;
      if (misses && !first)
        fmt::print("{} \"{}\" wants {}: {}\n", c.half, c.query, c.expected.front(), describe());
    }
    fmt::print(
        "| half | queries | top-1 | top-3 | unrelated | answered none |\n|---|---:|---:|---:|---:|---:|\n");
    for (const auto& [half, tally] : tallies) {
      fmt::print("| {} | {} | {:.1f}% | {:.1f}% | {} | {:.1f}% |\n", half, tally.related,
                 share(tally.top1, tally.related), share(tally.top3, tally.related), tally.unrelated,
                 share(tally.none, tally.unrelated));
    }
  } catch (const std::exception& error) {
    std::cerr << "quillo-bench-ravo-evaluation: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
