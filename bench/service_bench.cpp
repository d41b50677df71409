// The whole of a semantic ranking against the test service on 127.0.0.1: encoding and signing
// each chunk, a TLS connection per chunk, the service's checks, decoding and combining. With
// every chunk in flight together, a service that thinks 100 ms per chunk answers 5 or 7 chunks
// in about the time of one, and one that thinks 1.5 s answers 1,169 candidates in about 1.5 s.
#include <benchmark/benchmark.h>

#include "quillo/core/ranking/semantic_ranker.h"
#include "quillo/net/curl_transport.h"
#include "quillo/testing/test_service.h"

namespace {

using namespace quillo;

std::vector<core::Command> candidates(std::size_t count) {
  std::vector<core::Command> commands;
  for (std::size_t index = 0; index < count; ++index) {
    const std::string title = "Command number " + std::to_string(index);
    commands.emplace_back("app." + title, title, core::Command::Kind::action,
                          "does thing " + std::to_string(index), "", "", core::target::Shell{title});
  }
  return commands;
}

// Arguments: candidates, and how long the service thinks before answering each chunk (ms).
void BM_Rank(benchmark::State& state) {
  testing::TestService service;
  service.answer("/v1/rank/commands",
                 {.body = testing::rankingBody({{"c0", 0.9}, {"c5", 0.4}, {"none", 0.1}}),
                  .delay = std::chrono::milliseconds(state.range(1))});
  const auto client =
      std::make_shared<core::BackendClient>(service.baseUrl(), service.clientKey(), nullptr,
                                            net::makeCurlTransport({.extraCaFile = service.caFile()}));
  const core::SemanticRanker ranker(client, core::RavoQuestions::scope::Commands{},
                                    candidates(static_cast<std::size_t>(state.range(0))));
  for (auto _ : state) {
    const core::SemanticResult result =
        ranker.rank("turn the screen off", core::RavoQuestions::minimumProbability);
    benchmark::DoNotOptimize(result.hits.data());
  }
  state.counters["chunks"] = static_cast<double>(ranker.requests().size());
  if (!service.refusals().empty()) state.SkipWithError("the service refused a request");
}
BENCHMARK(BM_Rank)
    ->ArgNames({"candidates", "thinkMs"})
    ->Args({254, 0})
    ->Args({762, 0})
    ->Args({1016, 0})
    ->Args({254, 100})
    ->Args({1016, 100})
    ->Args({1169, 100})
    ->Args({1778, 100})
    ->Args({1169, 1500})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
