// Measures libfff_c on one folder tree: the first scan, the memory the index holds, fuzzy
// and folder search latency, a typed name's three globs one by one and in one pass, and
// "newest 100 by extension" glob latency. Prints Markdown.
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "fff.h"

namespace {

using Clock = std::chrono::steady_clock;

double residentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE));
}

double cpuMilliseconds() {
  timespec now{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double percentile(std::vector<double> values, double fraction) {
  std::sort(values.begin(), values.end());
  const auto at = static_cast<std::size_t>(std::lround(fraction * static_cast<double>(values.size() - 1)));
  return values[std::min(at, values.size() - 1)];
}

void fail(const char* what, FffResult* result) {
  std::fprintf(stderr, "%s failed: %s\n", what, result && result->error ? result->error : "no result");
  std::exit(1);
}

template <class Header>
std::uint32_t countAndFree(FffResult* result, void (*release)(Header*), const char* what) {
  if (!result || !result->success) fail(what, result);
  const auto count = static_cast<std::uint32_t>(result->int_value);
  release(static_cast<Header*>(result->handle));
  fff_free_result(result);
  return count;
}

// Wall time, and the processor time of every thread of the process: on a busy machine the
// second shows what a query costs when the wall clock also counts waiting for a core.
struct Timing {
  std::vector<double> samples;
  std::vector<double> cpu;
  std::uint32_t hits = 0;
};

template <class Run>
Timing timeQuery(int rounds, Run&& run) {
  Timing timing;
  for (int round = 0; round < rounds; ++round) {
    const double cpuStart = cpuMilliseconds();
    const auto start = Clock::now();
    timing.hits = run();
    timing.samples.push_back(millisecondsSince(start));
    timing.cpu.push_back(cpuMilliseconds() - cpuStart);
  }
  return timing;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s ROOT ROUNDS [QUERY...] -- [PATTERN...]\n", argv[0]);
    return 2;
  }
  const std::string root = argv[1];
  const int rounds = std::max(1, std::atoi(argv[2]));
  std::vector<std::string> queries;
  std::vector<std::string> patterns;
  bool globs = false;
  for (int i = 3; i < argc; ++i) {
    if (std::strcmp(argv[i], "--") == 0)
      globs = true;
    else
      (globs ? patterns : queries).push_back(argv[i]);
  }

  const double before = residentBytes();
  FffOptions options{};
  options.version = FFF_OPTIONS_VERSION;
  options.root = root.c_str();
  const auto start = Clock::now();
  FffResult* created = fff_create_instance_with(&options);
  if (!created || !created->success) fail("fff_create_instance_with", created);
  auto* instance = static_cast<FffInstance*>(created->handle);
  fff_free_result(created);
  FffResult* waited = fff_wait_for_scan(instance, UINT64_MAX);
  if (!waited || waited->int_value == FFF_SCAN_RUNNING) fail("fff_wait_for_scan", waited);
  fff_free_result(waited);
  const double scanMs = millisecondsSince(start);
  // A newest-first glob waits until every size and time has been read: the full scan.
  countAndFree<FffSearchResult>(fff_glob(instance, "**", 0, 0, FFF_GLOB_NEWEST_FIRST, 1),
                                fff_free_search_result, "fff_glob");
  const double detailedMs = millisecondsSince(start);
  // The glob's own result list is freed by now; give its pages back so that what is left is what
  // the index holds.
  ::malloc_trim(0);
  const double after = residentBytes();
  FffResult* counted = fff_count_entries(instance);
  const auto entries = static_cast<double>(counted->int_value);
  fff_free_result(counted);

  std::printf(
      "| root | entries | names scanned (ms) | with sizes and times (ms) | index memory (MB) | bytes per "
      "entry |\n|---|---:|---:|---:|---:|---:|\n");
  std::printf("| `%s` | %.0f | %.0f | %.0f | %.1f | %.1f |\n\n", root.c_str(), entries, scanMs, detailedMs,
              (after - before) / 1e6, (after - before) / entries);

  std::printf(
      "| search | query | hits | wall p50 (ms) | wall p99 (ms) | wall max (ms) | CPU p50 (ms) | CPU p99 (ms) "
      "|\n"
      "|---|---|---:|---:|---:|---:|---:|---:|\n");
  std::vector<double> fuzzyAll;
  std::vector<double> fuzzyCpu;
  for (const std::string& query : queries) {
    const Timing mixed = timeQuery(rounds, [&] {
      return countAndFree<FffMixedSearchResult>(fff_search_mixed(instance, query.c_str(), 0, 0, 0, 50, 0, 0),
                                                fff_free_mixed_search_result, "fff_search_mixed");
    });
    const Timing dirs = timeQuery(rounds, [&] {
      return countAndFree<FffDirSearchResult>(fff_search_directories(instance, query.c_str(), 0, 0, 0, 50),
                                              fff_free_dir_search_result, "fff_search_directories");
    });
    for (const auto* timing : {&mixed, &dirs}) {
      std::printf("| %s | `%s` | %u | %.2f | %.2f | %.2f | %.2f | %.2f |\n",
                  timing == &mixed ? "mixed" : "directories", query.c_str(), timing->hits,
                  percentile(timing->samples, 0.5), percentile(timing->samples, 0.99),
                  percentile(timing->samples, 1.0), percentile(timing->cpu, 0.5),
                  percentile(timing->cpu, 0.99));
      if (query.size() >= 3) {
        fuzzyAll.insert(fuzzyAll.end(), timing->samples.begin(), timing->samples.end());
        fuzzyCpu.insert(fuzzyCpu.end(), timing->cpu.begin(), timing->cpu.end());
      }
    }
  }
  // The three name globs a typed name is looked for with (the name alone, with an extension,
  // as a prefix), as the command line asks them: one after another, and in one pass.
  for (const std::string& query : queries) {
    if (query.size() < 3 || query.find_first_of("*?[]{}\\,!") != std::string::npos) continue;
    const std::array<std::string, 3> shapes{"**/" + query, "**/" + query + ".*", "**/" + query + "*"};
    const Timing apart = timeQuery(rounds, [&] {
      std::uint32_t hits = 0;
      for (const std::string& shape : shapes)
        hits +=
            countAndFree<FffSearchResult>(fff_glob(instance, shape.c_str(), 0, 0, FFF_GLOB_IGNORE_CASE, 50),
                                          fff_free_search_result, "fff_glob");
      return hits;
    });
    const std::array<const char*, 3> texts{shapes[0].c_str(), shapes[1].c_str(), shapes[2].c_str()};
    const Timing together = timeQuery(rounds, [&] {
      std::array<FffResult*, 3> each{};
      FffResult* outcome =
          fff_glob_each(instance, texts.data(), 3, 0, 0, FFF_GLOB_IGNORE_CASE, 50, each.data());
      if (!outcome || !outcome->success) fail("fff_glob_each", outcome);
      fff_free_result(outcome);
      std::uint32_t hits = 0;
      for (FffResult* result : each)
        hits += countAndFree<FffSearchResult>(result, fff_free_search_result, "fff_glob_each");
      return hits;
    });
    for (const auto* timing : {&apart, &together})
      std::printf("| name globs, %s | `%s` | %u | %.2f | %.2f | %.2f | %.2f | %.2f |\n",
                  timing == &apart ? "one by one" : "one pass", query.c_str(), timing->hits,
                  percentile(timing->samples, 0.5), percentile(timing->samples, 0.99),
                  percentile(timing->samples, 1.0), percentile(timing->cpu, 0.5),
                  percentile(timing->cpu, 0.99));
  }
  std::vector<double> globAll;
  std::vector<double> globCpu;
  for (const std::string& pattern : patterns) {
    const Timing newest = timeQuery(rounds, [&] {
      return countAndFree<FffSearchResult>(
          fff_glob(instance, pattern.c_str(), 0, 0, FFF_GLOB_NEWEST_FIRST, 100), fff_free_search_result,
          "fff_glob");
    });
    std::printf("| glob, newest 100 | `%s` | %u | %.2f | %.2f | %.2f | %.2f | %.2f |\n", pattern.c_str(),
                newest.hits, percentile(newest.samples, 0.5), percentile(newest.samples, 0.99),
                percentile(newest.samples, 1.0), percentile(newest.cpu, 0.5), percentile(newest.cpu, 0.99));
    globAll.insert(globAll.end(), newest.samples.begin(), newest.samples.end());
    globCpu.insert(globCpu.end(), newest.cpu.begin(), newest.cpu.end());
  }
  std::printf("\n");
  if (!fuzzyAll.empty())
    std::printf("- fuzzy queries of 3+ characters, all rounds: wall p99 %.2f ms, CPU p99 %.2f ms\n",
                percentile(fuzzyAll, 0.99), percentile(fuzzyCpu, 0.99));
  if (!globAll.empty())
    std::printf("- glob newest 100, all rounds: wall p99 %.2f ms, CPU p99 %.2f ms\n",
                percentile(globAll, 0.99), percentile(globCpu, 0.99));
  std::printf("- scan %.0f ms; detailed %.0f ms; memory %.1f bytes per entry\n", scanMs, detailedMs,
              (after - before) / entries);
  fff_destroy(instance);
  return 0;
}
