#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "quillo/core/ranking/semantic_ranker.h"
#include "service_fixture.h"
#include "test_titles.h"

namespace quillo::core {
namespace {

using namespace std::chrono_literals;
using quillo::testing::ServiceReply;
using quillo::testing::ServiceRequest;
using test_support::command;

using quillo::testing::kCommandsPath;

std::vector<Command> numbered(std::size_t count) {
  std::vector<Command> commands;
  for (std::size_t index = 0; index < count; ++index)
    commands.push_back(command("Command " + std::to_string(index)));
  return commands;
}

using test_support::titles;

// Answers every chunk with a probability for each candidate whose title the table names.
ServiceReply byTitle(const ServiceRequest& request, const std::map<std::string, double>& table,
                     double none = 0.2) {
  std::map<std::string, double> probabilities{{"none", none}};
  const auto& candidates = request.json["candidates"];
  for (std::size_t position = 0; position < candidates.size(); ++position) {
    const auto found = table.find(candidates[position]["title"].get<std::string>());
    if (found != table.end()) probabilities["c" + std::to_string(position)] = found->second;
  }
  return {.body = quillo::testing::rankingBody(probabilities, 7)};
}

TEST(SemanticRanker, CutsCandidatesIntoChunksOf254) {
  const std::vector<std::pair<std::size_t, std::vector<std::size_t>>> cases = {
      {0, {}}, {1, {1}}, {254, {254}}, {255, {254, 1}}, {508, {254, 254}}, {509, {254, 254, 1}}};
  for (const auto& [count, sizes] : cases) {
    const auto groups = SemanticRanker::groups(numbered(count), RavoQuestions::maxOptionsPerRequest);
    std::vector<std::size_t> actual;
    for (const auto& group : groups)
      actual.push_back(group.size());
    EXPECT_EQ(actual, sizes) << count;
    if (count > 254) {
      EXPECT_EQ(groups[1].front().title, "Command 254");
    }
  }
}

TEST(SemanticRanker, CombineSortsStablyAndKeepsFour) {
  const auto hit = [](const std::string& title, double p) { return SemanticHit{command(title), p}; };
  std::vector<SemanticRanker::Part> parts = {
      {.hits = {hit("a", 0.5), hit("b", 0.2), hit("c", 0.9)}, .noneProbability = 0.3, .inputTokens = 5},
      {.hits = {hit("d", 0.4), hit("e", 0.5), hit("f", 0.3)}, .noneProbability = 0.1, .inputTokens = 6},
  };
  const SemanticResult six = SemanticRanker::combine(parts, "q", 1s);
  EXPECT_EQ(titles(six.hits), (std::vector<std::string>{"c", "a", "e", "d"}));
  EXPECT_EQ(six.noneProbability, 0.1);
  EXPECT_EQ(six.inputTokens, 11);
  parts[1].hits.erase(parts[1].hits.begin() + 1, parts[1].hits.end());
  EXPECT_EQ(SemanticRanker::combine(parts, "q", 1s).hits.size(), 4u);
  EXPECT_EQ(SemanticRanker::combine({}, "q", 0s).noneProbability, 1.0);
}

TEST(SemanticRanker, WebSearchPicksSiteAndWords) {
  const std::vector<std::string> words = WebSearch::words("cat videos on youtube");
  const auto choose = [&](std::map<std::string, double> sites,
                          std::optional<std::map<std::string, double>> spans) {
    return SemanticRanker::webSearch(
        {.siteProbabilities = std::move(sites), .termProbabilities = std::move(spans)}, words);
  };
  EXPECT_EQ(choose({{"youtube", 0.49}}, std::nullopt), std::nullopt);
  const auto whole = choose({{"youtube", 0.5}}, std::nullopt);
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->site.id, "youtube");
  EXPECT_EQ(whole->probability, 0.5);
  EXPECT_EQ(whole->words, (WordRange{0, 3}));  // the site's own name at the end is trimmed
  // Equal probabilities: the site earlier in the catalogue.
  EXPECT_EQ(choose({{"reddit", 0.7}, {"youtube", 0.7}}, std::nullopt)->site.id, "youtube");
  EXPECT_EQ(choose({{"youtube", 0.9}}, std::map<std::string, double>{{"s0_1", 0.8}, {"s0_0", 0.8}})->words,
            (WordRange{0, 1}));
  EXPECT_EQ(choose({{"youtube", 0.9}}, std::map<std::string, double>{{"s0_1", 0.0}})->words,
            (WordRange{0, 3}));
  EXPECT_EQ(choose({{"youtube", 0.9}}, std::map<std::string, double>{{"none", 0.6}, {"s0_1", 0.5}})->words,
            (WordRange{0, 0}));
}

class SemanticRankerTest : public ::testing::Test, protected test_support::ServiceFixture {
 protected:
  void TearDown() override { EXPECT_EQ(service.refusals(), std::vector<std::string>{}); }
};

TEST_F(SemanticRankerTest, ChunksGoOutTogetherAndOnlyTheFirstAsksForAWebSearch) {
  service.on(kCommandsPath, [](const ServiceRequest& request) {
    nlohmann::json body = nlohmann::json::parse(
        byTitle(request, {{"Command 1", 0.08}, {"Command 2", 0.07}, {"Command 254", 0.6}}).body);
    if (request.json["scope"]["includeWebSearch"].get<bool>()) {
      body["webSearch"] = {{"siteProbabilities", {{"wikipedia", 0.8}}},
                           {"termProbabilities", {{"s2_3", 0.9}}}};
    }
    return ServiceReply{.body = body.dump()};
  });
  const SemanticRanker ranker(client(), RavoQuestions::scope::Commands{}, numbered(255));
  const SemanticResult result = ranker.rank("who was ada lovelace", RavoQuestions::minimumProbability);
  // Positions restart in each chunk: "c0" of the second chunk is Command 254.
  EXPECT_EQ(titles(result.hits), (std::vector<std::string>{"Command 254", "Command 1"}));
  EXPECT_EQ(result.inputTokens, 14);
  EXPECT_EQ(result.noneProbability, 0.2);
  EXPECT_EQ(result.query, "who was ada lovelace");
  ASSERT_TRUE(result.webSearch);
  EXPECT_EQ(result.webSearch->site.id, "wikipedia");
  EXPECT_EQ(result.webSearch->words, (WordRange{2, 4}));

  const auto requests = service.requests(kCommandsPath);
  ASSERT_EQ(requests.size(), 2u);
  for (const ServiceRequest& request : requests) {
    // Whichever arrived first, the web search goes with the first chunk only.
    EXPECT_EQ(request.json["scope"]["includeWebSearch"].get<bool>(),
              request.json["candidates"].size() == 254);
  }
}

TEST_F(SemanticRankerTest, EveryChunkIsInFlightAtOnce) {
  // 1,169 candidates make five chunks. Each answer waits until all five requests have arrived, so
  // that a cap on the requests in flight shows as a lower peak (the wait gives up in the end, so
  // that such a cap fails the test rather than hanging it).
  constexpr std::size_t kChunks = 5;
  std::mutex mutex;
  std::condition_variable arrived;
  std::size_t inFlight = 0;
  std::size_t peak = 0;
  service.on(kCommandsPath, [&](const ServiceRequest& request) {
    std::unique_lock lock(mutex);
    peak = std::max(peak, ++inFlight);
    arrived.notify_all();
    arrived.wait_for(lock, 20s, [&] { return peak == kChunks; });
    --inFlight;
    return byTitle(request, {});
  });
  const SemanticRanker ranker(client(), RavoQuestions::scope::Commands{}, numbered(1169));
  ASSERT_EQ(ranker.requests().size(), kChunks);
  ranker.rank("q", RavoQuestions::minimumProbability);
  const std::lock_guard lock(mutex);
  EXPECT_EQ(peak, kChunks);
}

TEST_F(SemanticRankerTest, OneFailingChunkFailsTheRankingAndCancelsTheOthers) {
  service.on(kCommandsPath, [](const ServiceRequest& request) {
    if (request.json["candidates"][0]["title"] == "Command 254") {
      return ServiceReply{.status = 503, .body = R"({"error":"busy"})"};
    }
    return ServiceReply{.body = byTitle(request, {{"Command 0", 0.9}}).body, .delay = 5s};
  });
  const SemanticRanker ranker(client(), RavoQuestions::scope::Menu{"Safari"}, numbered(600));
  const auto started = std::chrono::steady_clock::now();
  try {
    ranker.rank("q", RavoQuestions::minimumProbability);
    FAIL() << "a partial result";
  } catch (const BackendError& error) {
    EXPECT_EQ(error.code(), "busy");
  }
  EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
}

TEST_F(SemanticRankerTest, CallerCancellationStopsEveryChunk) {
  service.answer(kCommandsPath, {.body = quillo::testing::rankingBody({}), .delay = 5s});
  const SemanticRanker ranker(client(), RavoQuestions::scope::Commands{}, numbered(600));
  std::stop_source stop;
  std::jthread canceller([&] {
    while (service.requests(kCommandsPath).size() < 3)
      std::this_thread::sleep_for(5ms);
    stop.request_stop();
  });
  const auto started = std::chrono::steady_clock::now();
  EXPECT_THROW(ranker.rank("q", RavoQuestions::minimumProbability, stop.get_token()), base::Cancelled);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
}

TEST_F(SemanticRankerTest, ListMadeForEachRankingIsRankedAsItIsThen) {
  service.on(kCommandsPath, [](const ServiceRequest& request) {
    return byTitle(request, {{"Command 300", 0.6}});
  });
  std::size_t count = 255;
  const SemanticRanker ranker(client(), RavoQuestions::scope::Commands{},
                              [&count] { return numbered(count); });
  EXPECT_TRUE(ranker.rank("q", RavoQuestions::minimumProbability).hits.empty());
  EXPECT_EQ(service.requests(kCommandsPath).size(), 2u);
  count = 301;
  EXPECT_EQ(titles(ranker.rank("q", RavoQuestions::minimumProbability).hits),
            std::vector<std::string>{"Command 300"});
}

TEST_F(SemanticRankerTest, NoCandidatesSendsNothing) {
  const SemanticRanker ranker(client(), RavoQuestions::scope::Commands{}, std::vector<Command>{});
  const SemanticResult result = ranker.rank("anything", RavoQuestions::minimumProbability);
  EXPECT_TRUE(result.hits.empty());
  EXPECT_EQ(result.noneProbability, 1.0);
  EXPECT_EQ(result.webSearch, std::nullopt);
  EXPECT_TRUE(service.requests().empty());
}

}  // namespace
}  // namespace quillo::core
