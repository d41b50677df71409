// The service side of a keystroke: the quiet time, the answer cache, stale and late answers.
#include <chrono>

#include "search_model_fixture.h"

namespace quillo::app::test {
namespace {

using namespace std::chrono_literals;

constexpr auto kSentence = "write down an idea";
// A sentence with local rows: asked all the same.
constexpr auto kLocalSentence = "screenshot to clipboard";

bool lists(const SearchModel& model, const std::string& title) {
  const auto found = titles(model.rows());
  return std::find(found.begin(), found.end(), title) != found.end();
}

TEST_F(SearchModelTest, LocalRowsShowAtOnceAndServiceRowsFollowAfterTheQuietTime) {
  answerByTitle({{"Notes", 0.9}});
  model->setQuery(kLocalSentence);
  EXPECT_FALSE(model->rows().empty());
  EXPECT_FALSE(lists(*model, "Notes"));
  EXPECT_TRUE(waiting());
  main.advance(89ms);
  pool.waitUntilIdle();
  EXPECT_EQ(asked(), 0u);
  main.advance(1ms);
  ASSERT_TRUE(main.runUntil([&] { return !waiting(); }));
  const auto* answered = std::get_if<ravo::Answered>(&model->ravo());
  ASSERT_NE(answered, nullptr);
  EXPECT_FALSE(answered->cached);
  EXPECT_TRUE(lists(*model, "Notes"));
}

TEST_F(SearchModelTest, TypingAgainWithinTheQuietTimeCancelsTheRequest) {
  answerByTitle({{"Notes", 0.9}});
  model->setQuery("write down");
  main.advance(60ms);
  model->setQuery(kSentence);
  main.advance(89ms);
  pool.waitUntilIdle();
  EXPECT_EQ(asked(), 0u);
  main.advance(1ms);
  ASSERT_TRUE(main.runUntil([&] { return !waiting(); }));
  ASSERT_EQ(asked(), 1u);
  EXPECT_EQ(service.requests(kCommandsPath)[0].json["query"], kSentence);
}

TEST_F(SearchModelTest, ReturningToAnAnsweredTextShowsTheCachedAnswerAtOnce) {
  answerByTitle({{"Notes", 0.9}});
  model->setQuery(kSentence);
  main.advance(90ms);
  ASSERT_TRUE(main.runUntil([&] { return !waiting(); }));
  model->setQuery("safari");
  model->setQuery(kSentence);
  const auto* answered = std::get_if<ravo::Answered>(&model->ravo());
  ASSERT_NE(answered, nullptr);
  EXPECT_TRUE(answered->cached);
  EXPECT_TRUE(lists(*model, "Notes"));
  main.advance(200ms);
  pool.waitUntilIdle();
  EXPECT_EQ(asked(), 1u);
}

TEST_F(SearchModelTest, OpeningThePanelAgainForgetsTheAnswers) {
  answerByTitle({{"Notes", 0.9}});
  model->setQuery(kSentence);
  main.advance(90ms);
  ASSERT_TRUE(main.runUntil([&] { return !waiting(); }));
  model->panelDidClose();
  model->panelDidOpen(std::nullopt);
  model->changeScope(SearchModel::Scope::commands);
  model->setQuery(kSentence);
  EXPECT_TRUE(waiting());
}

TEST_F(SearchModelTest, TheLastAnswerServesAsStaleWhileALongerTextWaits) {
  answerByTitle({{"Notes", 0.9}});
  model->setQuery("write down");
  main.advance(90ms);
  ASSERT_TRUE(main.runUntil([&] { return !waiting(); }));
  model->setQuery(kSentence);
  EXPECT_TRUE(waiting());
  EXPECT_TRUE(lists(*model, "Notes"));
}

TEST_F(SearchModelTest, ALateAnswerNeverReplacesNewerRows) {
  answerByTitle({{"Notes", 0.9}}, 300ms);
  model->setQuery(kSentence);
  main.advance(90ms);
  ASSERT_TRUE(main.runUntil([&] { return asked() == 1; }));
  // A settled query: the service is not asked, and the pending answer must not land.
  model->setQuery("safari");
  pool.waitUntilIdle();
  main.drain();
  EXPECT_TRUE(std::holds_alternative<ravo::Idle>(model->ravo()));
  EXPECT_EQ(titles(model->rows()), std::vector<std::string>{"Safari"});
  EXPECT_EQ(model->answers().size(), 0u);
}

TEST_F(SearchModelTest, AFailedRequestListsTheLocalRowsWithoutServiceRows) {
  service.answer(kCommandsPath, {.status = 500, .body = "{}"});
  model->setQuery(kLocalSentence);
  const auto local = titles(model->rows());
  main.advance(90ms);
  ASSERT_TRUE(main.runUntil([&] { return !waiting(); }));
  EXPECT_TRUE(std::holds_alternative<ravo::Failed>(model->ravo()));
  EXPECT_FALSE(std::get<ravo::Failed>(model->ravo()).message.empty());
  EXPECT_EQ(titles(model->rows()), local);
}

TEST_F(SearchModelTest, WithoutAServiceTheStateSaysWhy) {
  start(false);
  model->setQuery(kSentence);
  const auto* off = std::get_if<ravo::Off>(&model->ravo());
  ASSERT_NE(off, nullptr);
  EXPECT_EQ(off->reason, "The Quillo service address has not been configured.");
}

TEST_F(SearchModelTest, TheSelectedCommandStaysWhenTheAnswerArrives) {
  answerByTitle({{"Notes", 0.9}});
  model->setQuery(kLocalSentence);
  ASSERT_GE(model->rows().size(), 2u);
  model->moveSelection(1);
  const std::string selected = model->rows()[1].command.id;
  main.advance(90ms);
  ASSERT_TRUE(main.runUntil([&] { return !waiting(); }));
  EXPECT_EQ(model->rows()[model->selection()].command.id, selected);
}

TEST_F(SearchModelTest, TheFirstRowIsSelectedWhenTheUserDidNotMove) {
  answerByTitle({{"Notes", 0.99}});
  model->setQuery(kSentence);
  main.advance(90ms);
  ASSERT_TRUE(main.runUntil([&] { return !waiting(); }));
  EXPECT_EQ(model->selection(), 0u);
}

}  // namespace
}  // namespace quillo::app::test
