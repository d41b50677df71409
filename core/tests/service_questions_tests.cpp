#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "quillo/base/errors.h"
#include "quillo/core/files/file_command.h"
#include "quillo/core/results/file_results.h"
#include "quillo/core/search/search_scope.h"
#include "quillo/core/search/service_questions.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/temporary_folder.h"
#include "service_fixture.h"

namespace quillo::core {
namespace {

using quillo::testing::ServiceReply;
using quillo::testing::ServiceRequest;
using test_support::command;

using quillo::testing::kCommandsPath;
using quillo::testing::kFilesPath;
using quillo::testing::kFileTypesPath;

std::vector<std::string> titles(const ServiceOutcome& outcome) {
  std::vector<std::string> result;
  if (outcome.result) {
    for (const SemanticHit& hit : outcome.result->hits)
      result.push_back(hit.command.title);
  }
  return result;
}

TEST(SearchNames, ScopesAndServiceStatesKeepTheirNames) {
  for (const SearchScope scope : {SearchScope::commands, SearchScope::files})
    EXPECT_EQ(searchScopeFromRaw(rawValue(scope)), scope);
  for (const ServiceState state :
       {ServiceState::off, ServiceState::idle, ServiceState::answered, ServiceState::failed})
    EXPECT_EQ(serviceStateFromRaw(rawValue(state)), state);
  EXPECT_EQ(rawValue(ServiceState::answered), "answered");
  EXPECT_EQ(searchScopeFromRaw("Files"), std::nullopt);
}

class CommandQuestionsTest : public ::testing::Test, protected test_support::ServiceFixture {
 protected:
  ServiceConnection counted() {
    return [this] {
      ++connections;
      return client();
    };
  }

  const CommandIndex index{{command("Safari"), command("Mail"), command("Notes")}};
  int connections = 0;
};

TEST_F(CommandQuestionsTest, ASettledQueryIsNotAsked) {
  const ServiceOutcome outcome = askServiceAboutCommands("safari", index, {}, counted());
  EXPECT_EQ(outcome.state, ServiceState::idle);
  // Not even a connection: a settled query costs nothing.
  EXPECT_EQ(connections, 0);
  EXPECT_TRUE(service.requests().empty());
}

TEST_F(CommandQuestionsTest, AQueryNamingAWebSiteByItsBangIsNotAsked) {
  // A sentence that would otherwise be asked: the bang already says what to do.
  const ServiceOutcome outcome = askServiceAboutCommands("write down an idea !w", index, {}, counted());
  EXPECT_EQ(outcome.state, ServiceState::idle);
  EXPECT_EQ(connections, 0);
  EXPECT_EQ(serviceQuestion("write down an idea", false, std::nullopt), ServiceQuestion::off);
}

TEST_F(CommandQuestionsTest, AnOpenQueryIsRankedByTheService) {
  service.on(kCommandsPath, [](const ServiceRequest& request) {
    std::map<std::string, double> probabilities{{"none", 0.1}};
    const auto& candidates = request.json["candidates"];
    for (std::size_t k = 0; k < candidates.size(); ++k)
      if (candidates[k]["title"] == "Notes") probabilities["c" + std::to_string(k)] = 0.9;
    return ServiceReply{.body = quillo::testing::rankingBody(probabilities)};
  });
  const ServiceOutcome outcome = askServiceAboutCommands("write down an idea", index, {}, counted());
  EXPECT_EQ(outcome.state, ServiceState::answered);
  EXPECT_EQ(titles(outcome), std::vector<std::string>{"Notes"});
  EXPECT_EQ(outcome.message, std::nullopt);
}

TEST_F(CommandQuestionsTest, AFailureToConnectIsAFailedOutcome) {
  const ServiceOutcome outcome =
      askServiceAboutCommands("write down an idea", index, {}, []() -> std::shared_ptr<BackendClient> {
        throw std::runtime_error("The network library is missing.");
      });
  EXPECT_EQ(outcome.state, ServiceState::failed);
  EXPECT_EQ(outcome.message, "The network library is missing.");
  EXPECT_EQ(outcome.result, std::nullopt);
}

TEST_F(CommandQuestionsTest, ARefusedQuestionIsAFailedOutcome) {
  service.answer(kCommandsPath, {.status = 503, .body = R"({"error":"busy"})"});
  const ServiceOutcome outcome = askServiceAboutCommands("write down an idea", index, {}, counted());
  EXPECT_EQ(outcome.state, ServiceState::failed);
  EXPECT_TRUE(outcome.message && !outcome.message->empty());
}

TEST_F(CommandQuestionsTest, ACancelledSearchIsNotAFailure) {
  std::stop_source stop;
  stop.request_stop();
  EXPECT_THROW(askServiceAboutCommands("write down an idea", index, {}, counted(), stop.get_token()),
               base::Cancelled);
}

class FileQuestionsTest : public ::testing::Test {
 protected:
  FileQuestionsTest() {
    ::quillo::testing::writeFile(tmp / "Q3 Report.pdf", "x");
    ::quillo::testing::writeFile(tmp / "Budget.pdf", "x");
    index = std::make_shared<FileIndex>(std::vector<base::Url>{base::Url::file(tmp.path().string())},
                                        std::vector<std::unique_ptr<FileFolderAccess>>{}, library(),
                                        FileIndex::Options{});
    index->waitForInitialScan({});
  }

  static std::shared_ptr<const FffLibrary> library() {
    static platform::posix::PosixFileSystem disk;
    static const auto loaded = FffLibrary::load(disk, {QUILLO_TEST_FFF_LIBRARY});
    return loaded;
  }

  // The route that checks the strong local row for "Q3 Report.pdf" with the service.
  FileRouteDecision shortlistRoute() {
    const LocalHit hit = index->filenameHits("q3 report", 5).at(0);
    return {
        .route = FileRoute::validateShortlist, .hits = {hit}, .strongCount = 1, .shortlist = {hit.command}};
  }

  ::quillo::testing::TemporaryFolder tmp;
  test_support::ServiceFixture fixture;
  std::shared_ptr<FileIndex> index;
};

TEST_F(FileQuestionsTest, ALocalRouteAsksNothing) {
  FileRouteDecision decision = shortlistRoute();
  decision.route = FileRoute::strongLocal;
  const ServiceOutcome outcome =
      askServiceAboutFiles("the q3 report slides", decision, FileRanker(fixture.client(), index));
  EXPECT_EQ(outcome.state, ServiceState::idle);
  EXPECT_TRUE(fixture.service.requests().empty());
}

TEST_F(FileQuestionsTest, AnAcceptedShortlistIsTheAnswer) {
  fixture.service.answer(kFilesPath,
                         {.body = quillo::testing::rankingBody({{"c0", 0.9}, {"suitable_for_fff", 1}})});
  std::ostringstream log;
  const ServiceOutcome outcome = askServiceAboutFiles(
      "the q3 report slides", shortlistRoute(), FileRanker(fixture.client(), index), {.routeLog = &log});
  EXPECT_EQ(outcome.state, ServiceState::answered);
  EXPECT_EQ(titles(outcome), std::vector<std::string>{"Q3 Report.pdf"});
  EXPECT_TRUE(fixture.service.requests(kFileTypesPath).empty());
  EXPECT_NE(log.str().find("next=show-shortlist"), std::string::npos);
}

TEST_F(FileQuestionsTest, ARejectedShortlistFallsBackToTheBroadSearch) {
  fixture.service.answer(kFileTypesPath, {.body = quillo::testing::rankingBody({{"document", 0.9}})});
  fixture.service.on(kFilesPath, [](const ServiceRequest& request) {
    // The shortlist is not a file search; the broad search ranks the budget first.
    if (request.json["classifyIntent"].get<bool>())
      return ServiceReply{.body = quillo::testing::rankingBody({{"c0", 0.9}, {"suitable_for_fff", 0}})};
    std::map<std::string, double> probabilities{{"none", 0.1}};
    const auto& files = request.json["files"];
    for (std::size_t k = 0; k < files.size(); ++k)
      if (files[k]["name"] == "Budget.pdf") probabilities["c" + std::to_string(k)] = 0.8;
    return ServiceReply{.body = quillo::testing::rankingBody(probabilities)};
  });
  const ServiceOutcome outcome =
      askServiceAboutFiles("the q3 report slides", shortlistRoute(), FileRanker(fixture.client(), index));
  EXPECT_EQ(outcome.state, ServiceState::answered);
  EXPECT_EQ(titles(outcome), std::vector<std::string>{"Budget.pdf"});
  EXPECT_EQ(fixture.service.requests(kFileTypesPath).size(), 1u);
}

TEST(FileResults, RowsKeepTheLocalScoreThatPutThemThere) {
  const auto file = [](const std::string& name) {
    return fileCommand({FileEntry::Kind::file, base::Url::file("/docs/" + name), 3, base::Date{1e9}}, {});
  };
  FileRouteDecision decision;
  decision.route = FileRoute::broadSearch;
  decision.hits = {{file("Q3 Report.pdf"), 850}, {file("Q3 Notes.txt"), 420}};
  SemanticResult semantic;
  semantic.hits = {{file("Budget.pdf"), 0.9}, {file("Q3 Notes.txt"), 0.7}};
  std::map<std::string, std::optional<int>> scores;
  for (const ScoredRow& row : fileResults(decision, &semantic, {}, 8))
    scores[row.row.command.title] = row.localScore;
  EXPECT_EQ(scores, (std::map<std::string, std::optional<int>>{
                        {"Budget.pdf", std::nullopt}, {"Q3 Notes.txt", 420}, {"Q3 Report.pdf", 850}}));
}

}  // namespace
}  // namespace quillo::core
