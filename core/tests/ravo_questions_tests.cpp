#include <gtest/gtest.h>

#include "quillo/core/service/answer_cache.h"
#include "quillo/core/service/ravo_questions.h"

namespace quillo::core {
namespace {

TEST(RavoQuestions, ShouldAskOnlyWhatLocalMatchingDoesNotSettle) {
  struct Case {
    std::string query;
    std::optional<int> best;
    bool asks;
  };
  const std::vector<Case> cases = {
      {"ab", std::nullopt, false},
      {"  ab \t", std::nullopt, false},
      {"abc", std::nullopt, true},
      {"a\xCC\x81"
       "b",
       std::nullopt, false},  // two characters, three scalars
      {"safari", 800, false},
      {"turn wifi off", 900, true},
      {"turn wifi", 900, false},
      {"abc", 799, true},
      {"turn  wifi", 1000, false},
      {"", std::nullopt, false},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(RavoQuestions::shouldAsk(test.query, test.best), test.asks) << test.query;
  }
}

TEST(RavoQuestions, SpansRunByStartThenEnd) {
  EXPECT_EQ(RavoQuestions::spans(3),
            (std::vector<WordRange>{{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}}));
  EXPECT_TRUE(RavoQuestions::spans(0).empty());
  EXPECT_EQ(RavoQuestions::spans(14).size(), 14u * 15u / 2u);
}

SemanticResult answerFor(std::string query, double none = 0.5) {
  return {.query = std::move(query),
          .hits = {},
          .noneProbability = none,
          .latency = {},
          .inputTokens = 0,
          .webSearch = std::nullopt};
}

TEST(AnswerCache, KeysByScopeAndNormalisedQuery) {
  AnswerCache cache;
  const RavoQuestions::Scope commands = RavoQuestions::scope::Commands{};
  const RavoQuestions::Scope menu = RavoQuestions::scope::Menu{"Safari"};
  cache.store(answerFor("Turn Off  "), commands);
  EXPECT_EQ(cache.answer("\tturn off", commands)->query, "Turn Off  ");
  EXPECT_EQ(cache.answer("turn off", menu), std::nullopt);
  cache.store(answerFor("turn off", 0.1), commands);
  EXPECT_EQ(cache.size(), 1u);
  EXPECT_EQ(cache.answer("TURN OFF", commands)->noneProbability, 0.1);
}

TEST(AnswerCache, StaleAnswerServesLongerQueriesOnly) {
  AnswerCache cache;
  cache.store(answerFor("turn"), RavoQuestions::scope::Commands{});
  EXPECT_EQ(cache.staleAnswer("turn off")->query, "turn");
  EXPECT_EQ(cache.staleAnswer("Turn")->query, "turn");
  EXPECT_EQ(cache.staleAnswer("tur"), std::nullopt);

  cache.forgetLast();
  EXPECT_EQ(cache.staleAnswer("turn off"), std::nullopt);
  EXPECT_TRUE(cache.answer("turn", RavoQuestions::scope::Commands{}));
  cache.store(answerFor("lock"), RavoQuestions::scope::Commands{});
  cache.removeAnswers();
  EXPECT_EQ(cache.answer("lock", RavoQuestions::scope::Commands{}), std::nullopt);
  EXPECT_TRUE(cache.staleAnswer("lock screen"));
  cache.removeAll();
  EXPECT_EQ(cache.staleAnswer("lock screen"), std::nullopt);
}

}  // namespace
}  // namespace quillo::core
