#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "quillo/app/search_model.h"
#include "quillo/core/index/catalog.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/net/curl_transport.h"
#include "quillo/testing/fake_accessibility.h"
#include "quillo/testing/fake_system.h"
#include "quillo/testing/manual_main_queue.h"
#include "quillo/testing/test_service.h"
#include "quillo/testing/thread_checked_accessibility.h"

namespace quillo::app::test {

inline constexpr auto kCommandsPath = "/v1/rank/commands";

inline core::Command app(const std::string& title) {
  return core::Command("app." + title, title, core::Command::Kind::app, "", "", "",
                       core::target::Shell{title});
}

// A menu bar with a File menu; the front application of the tests.
inline std::string menuBar() {
  using nlohmann::json;
  auto item = [](const std::string& title) {
    return json{{"AXRole", "AXMenuItem"}, {"AXTitle", title}, {"AXEnabled", true}};
  };
  json file = item("File");
  file["AXChildren"] =
      json::array({json{{"AXRole", "AXMenu"}, {"AXChildren", {item("New Note"), item("Export as PDF")}}}});
  // The first menu is the system's and is never read.
  json system = item("Apple");
  system["AXChildren"] = json::array({json{{"AXRole", "AXMenu"}, {"AXChildren", {item("Lock Screen")}}}});
  return json{{"AXRole", "AXApplication"},
              {"AXMenuBar", {{"AXRole", "AXMenuBar"}, {"AXChildren", {system, file}}}}}
      .dump();
}

inline std::vector<std::string> titles(const std::vector<core::ResultRow>& rows) {
  std::vector<std::string> result;
  for (const core::ResultRow& row : rows)
    result.push_back(row.command.title);
  return result;
}

// A search model over a small command index, the real test service and a menu bar read
// through a seam double that counts blocking calls on the main thread.
class SearchModelTest : public ::testing::Test {
 protected:
  void SetUp() override { start(); }

  void start(bool withService = true) {
    model.reset();
    model =
        std::make_unique<SearchModel>(SearchModelDependencies{.main = main,
                                                              .pool = pool,
                                                              .clock = clock,
                                                              .preferences = preferences,
                                                              .usage = usage,
                                                              .accessibility = ax,
                                                              .backend = withService ? client() : nullptr},
                                      hooks);
    modelChanges = model->observe([this] { ++changes; });
    std::vector<core::Command> commands{app("Safari"), app("Mail"), app("Notes"), app("Calendar")};
    for (const core::Command& action : core::Catalog::actions(system))
      commands.push_back(action);
    model->refreshCommands([commands] { return core::CommandIndex(commands); });
    ASSERT_TRUE(main.runUntil([&] { return model->commandCount() > 0; }));
  }

  std::shared_ptr<core::BackendClient> client() {
    return std::make_shared<core::BackendClient>(service.baseUrl(), service.clientKey(),
                                                 std::make_shared<core::FixedCredential>(""), http);
  }

  // Answers each chunk with the probability the table gives a candidate's title.
  void answerByTitle(std::map<std::string, double> table, std::chrono::milliseconds delay = {}) {
    service.on(kCommandsPath, [table, delay](const testing::ServiceRequest& request) {
      std::map<std::string, double> probabilities{{"none", 0.1}};
      const auto& candidates = request.json["candidates"];
      for (std::size_t position = 0; position < candidates.size(); ++position) {
        const auto found = table.find(candidates[position]["title"].get<std::string>());
        if (found != table.end()) probabilities["c" + std::to_string(position)] = found->second;
      }
      return testing::ServiceReply{.body = testing::rankingBody(probabilities), .delay = delay};
    });
  }

  std::size_t asked() const { return service.requests(kCommandsPath).size(); }

  bool waiting() const { return std::holds_alternative<ravo::Waiting>(model->ravo()); }

  // First, so that it outlives every connection: the main queue may still hold a called-off
  // task that keeps a client.
  testing::TestService service;
  testing::TestClock clock;
  testing::ManualMainQueue main{clock};
  std::shared_ptr<core::HttpTransport> http =
      net::makeCurlTransport({.extraCaFile = service.caFile().string()});
  // Before the pool: a called-off menu read may still be reading them until the pool is gone.
  testing::FakeAccessibility fakeAx{menuBar()};
  testing::ThreadCheckedAccessibility ax{fakeAx, main};
  base::WorkerPool pool{2};
  testing::FakeSystem system;
  core::MemoryDefaultsStore defaults;
  core::QuilloPreferences preferences{defaults};
  core::UsageStore usage{defaults};
  SearchModelHooks hooks;
  int changes = 0;
  std::unique_ptr<SearchModel> model;
  base::Observers::Token modelChanges;
};

}  // namespace quillo::app::test
