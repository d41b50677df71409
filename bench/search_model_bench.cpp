// A keystroke through SearchModel::setQuery on the main thread: the local search over the
// system's commands and 5,000 synthetic ones, the parsed values, the clipboard hook's task, the
// decision to ask the service and its answer cache, the merge and the selection. The service
// part runs later on a worker; it is configured (the test service over HTTPS on 127.0.0.1) but
// the quiet time before asking never passes here, so no request is made.

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "keystroke_workload.h"
#include "quillo/app/search_model.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/net/curl_transport.h"
#include "quillo/testing/fake_accessibility.h"
#include "quillo/testing/manual_main_queue.h"
#include "quillo/testing/test_service.h"

namespace {

using namespace std::chrono_literals;
using quillo::core::Command;

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
  const std::vector<Command> all = quillo::bench::keystrokeCommands();
  model.refreshCommands([&all] { return quillo::core::CommandIndex(all); });
  if (!main.runUntil([&] { return model.commandCount() > 0; }))
    state.SkipWithError("the index was not built");
  for (const char* used : {"action.screenshot", "action.volume", "action.lock"})
    usage.record(used, true);

  std::vector<double> latencies;
  std::vector<double> cpu;
  std::size_t keystrokes = 0;
  for (auto _ : state) {
    for (const std::string_view query : quillo::bench::kKeystrokeQueries) {
      for (std::size_t length = 1; length <= query.size(); ++length) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = quillo::bench::threadCpuMicros();
        model.setQuery(std::string(query.substr(0, length)));
        cpu.push_back(quillo::bench::threadCpuMicros() - cpuStart);
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
  state.counters["p50_us"] = quillo::bench::percentile(latencies, 0.50);
  state.counters["p99_us"] = quillo::bench::percentile(latencies, 0.99);
  state.counters["max_us"] = quillo::bench::percentile(latencies, 1.0);
  state.counters["p50_cpu_us"] = quillo::bench::percentile(cpu, 0.50);
  state.counters["p99_cpu_us"] = quillo::bench::percentile(cpu, 0.99);
  state.counters["requests"] = static_cast<double>(service.requests().size());
}
BENCHMARK(BM_SetQueryKeystroke)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
