// A keystroke through SearchModel::setQuery on the main thread: the local search over the
// system's commands and 5,000 synthetic ones, the parsed values, the clipboard hook's task, the
// decision to ask the service and its answer cache, the merge and the selection. The service
// part runs later on a worker; it is configured (the test service over HTTPS on 127.0.0.1) but
// the quiet time before asking never passes here, so no request is made.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <ctime>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/app/search_model.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/net/curl_transport.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/platform/posix/posix_system.h"
#include "quillo/testing/fake_accessibility.h"
#include "quillo/testing/manual_main_queue.h"
#include "quillo/testing/test_service.h"

namespace {

using namespace std::chrono_literals;
using quillo::core::Command;

constexpr std::size_t kSyntheticCommands = 5000;
constexpr std::uint32_t kSeed = 20240611;

constexpr std::array<std::string_view, 16> kVerbs{
    "Show", "Open", "Export", "Select", "Restore", "Zoom",  "Toggle", "Move",
    "Copy", "Find", "Insert", "Format", "Share",   "Print", "Close",  "Duplicate"};
constexpr std::array<std::string_view, 24> kNouns{
    "Window", "Tab",   "Label",  "Display", "Network", "Template", "Layer",  "Folder",
    "Note",   "Page",  "Column", "Table",   "Image",   "Link",     "Filter", "Sidebar",
    "Font",   "Style", "Track",  "Marker",  "Account", "Message",  "Event",  "Project"};
constexpr std::array<std::string_view, 6> kSuffixes{"as PDF",   "to Clipboard", "in New Window",
                                                    "Settings", "All",          "Again"};

// The queries typed one key at a time, as the command index benchmark types them.
constexpr std::array<std::string_view, 17> kQueries{
    "screenshot",   "volume",     "lock",       "keep awake", "wifi",      "bluetooth",
    "dark mode",    "doc",        "terminal",   "safari",     "downloads", "display",
    "activity mon", "new window", "export pdf", "zzqxjv",     "jjvvkwq"};

std::vector<Command> commands() {
  const quillo::platform::posix::PosixSystem system;
  const quillo::platform::posix::PosixFileSystem files;
  std::vector<Command> all =
      quillo::core::CommandIndex::system(system, files, quillo::core::ApplicationRoots{}).commands();
  std::mt19937 rng(kSeed);
  auto pick = [&rng](const auto& words) { return std::string(words[rng() % words.size()]); };
  for (std::size_t i = 0; i < kSyntheticCommands; ++i) {
    std::string title = pick(kVerbs) + " " + pick(kNouns);
    if (rng() % 2 == 0) title += " " + pick(kNouns);
    if (rng() % 4 == 0) title += " " + pick(kSuffixes);
    all.emplace_back("action.synthetic." + std::to_string(i), title, Command::Kind::action, "", "", "",
                     quillo::core::target::Shell{"echo " + std::to_string(i)});
  }
  return all;
}

// The main thread's own CPU time: what a keystroke costs whatever else the machine runs.
double threadMicros() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

double percentile(std::vector<double> samples, double fraction) {
  std::sort(samples.begin(), samples.end());
  const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(samples.size())));
  return samples[std::min(samples.size(), std::max<std::size_t>(rank, 1)) - 1];
}

void BM_SetQueryKeystroke(benchmark::State& state) {
  quillo::testing::TestService service;
  quillo::testing::TestClock clock;
  quillo::testing::ManualMainQueue main(clock);
  quillo::base::WorkerPool pool(2);
  quillo::core::MemoryDefaultsStore defaults;
  quillo::core::QuilloPreferences preferences(defaults);
  quillo::core::UsageStore usage(defaults);
  quillo::testing::FakeAccessibility accessibility(R"({"AXRole": "AXApplication"})");
  const std::shared_ptr<quillo::core::HttpTransport> http =
      quillo::net::makeCurlTransport({.extraCaFile = service.caFile().string()});
  const auto backend = std::make_shared<quillo::core::BackendClient>(
      service.baseUrl(), service.clientKey(), std::make_shared<quillo::core::FixedCredential>(""), http);
  quillo::app::SearchModelHooks hooks;
  hooks.clipboardMatch = [](const std::string&, std::stop_token) { return std::optional<Command>(); };
  quillo::app::SearchModel model({.main = main,
                                  .pool = pool,
                                  .clock = clock,
                                  .preferences = preferences,
                                  .usage = usage,
                                  .accessibility = accessibility,
                                  .backend = backend},
                                 hooks);
  const std::vector<Command> all = commands();
  model.refreshCommands([&all] { return quillo::core::CommandIndex(all); });
  if (!main.runUntil([&] { return model.commandCount() > 0; }))
    state.SkipWithError("the index was not built");
  for (const char* used : {"action.screenshot", "action.volume", "action.lock"})
    usage.record(used, true);

  std::vector<double> latencies;
  std::vector<double> cpu;
  std::size_t keystrokes = 0;
  for (auto _ : state) {
    for (const std::string_view query : kQueries) {
      for (std::size_t length = 1; length <= query.size(); ++length) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = threadMicros();
        model.setQuery(std::string(query.substr(0, length)));
        cpu.push_back(threadMicros() - cpuStart);
        latencies.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
        ++keystrokes;
      }
      state.PauseTiming();
      // Calls off the last quiet time, then lets the called-off ones fall due and go.
      model.setQuery("");
      main.advance(100ms);
      pool.waitUntilIdle();
      main.drain();
      state.ResumeTiming();
    }
  }
  state.counters["commands"] = static_cast<double>(model.commandCount());
  state.counters["keystrokes"] = static_cast<double>(keystrokes);
  state.counters["p50_us"] = percentile(latencies, 0.50);
  state.counters["p99_us"] = percentile(latencies, 0.99);
  state.counters["max_us"] = percentile(latencies, 1.0);
  state.counters["p50_cpu_us"] = percentile(cpu, 0.50);
  state.counters["p99_cpu_us"] = percentile(cpu, 0.99);
  state.counters["requests"] = static_cast<double>(service.requests().size());
}
BENCHMARK(BM_SetQueryKeystroke)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
