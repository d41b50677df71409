#include <fmt/format.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli_runner.h"
#include "quillo/testing/test_service.h"

namespace {

using quillo::cli::testing::CliRun;
using quillo::testing::ServiceReply;
using quillo::testing::ServiceRequest;

using quillo::testing::kCommandsPath;

// A launcher session of the real quillo-cli against the test service, with no applications and
// preferences of its own.
class Session : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string key;
    for (const std::uint8_t byte : service.clientKey())
      key += fmt::format("{:02x}", byte);
    quillo::testing::writeFile(folder / "key", key + "\n");
    std::filesystem::permissions(folder / "key",
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::create_directories(folder / "apps");
    // "Lock Screen" is what the sentences below mean.
    service.on(kCommandsPath, [](const ServiceRequest& request) {
      std::map<std::string, double> probabilities{{"none", 0.05}};
      const auto& candidates = request.json["candidates"];
      for (std::size_t position = 0; position < candidates.size(); ++position)
        if (candidates[position]["title"] == "Lock Screen")
          probabilities["c" + std::to_string(position)] = 0.9;
      return ServiceReply{.body = quillo::testing::rankingBody(probabilities)};
    });
  }

  // The lines printed for `events`, each parsed.
  std::vector<nlohmann::json> session(const std::vector<std::string>& events, CliRun* result = nullptr,
                                      const std::string& options = "") {
    std::string input;
    for (const std::string& event : events)
      input += event + "\n";
    const CliRun run = quillo::cli::testing::runCli(
        "session " + options + " --applications " + (folder / "apps").string() + " --service " +
            service.baseUrl() + " --key-file " + (folder / "key").string() + " --ca-file " +
            service.caFile().string(),
        input, "XDG_CONFIG_HOME=" + (folder / "config").string());
    if (result) *result = run;
    EXPECT_EQ(run.status, 0) << run.errors;
    std::vector<nlohmann::json> lines;
    std::istringstream output(run.output);
    for (std::string line; std::getline(output, line);)
      lines.push_back(nlohmann::json::parse(line));
    return lines;
  }

  quillo::testing::TemporaryFolder folder;
  quillo::testing::TestService service;
};

std::vector<std::string> titles(const nlohmann::json& line) {
  std::vector<std::string> result;
  for (const auto& row : line["rows"])
    result.push_back(row["title"]);
  return result;
}

TEST_F(Session, LocalRowsComeFirstThenTheServiceAnswerThenTheCachedOne) {
  const auto lines = session({
      R"({"at": 0, "type": "open"})",
      R"({"at": 10, "type": "query", "text": "make the screen private"})",
      // Late enough for the first answer on a loaded machine (the first request also loads the
      // network library and makes the TLS handshake).
      R"({"at": 4000, "type": "query", "text": "lock"})",
      R"({"at": 4020, "type": "query", "text": "make the screen private"})",
  });
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[1]["query"], "make the screen private");
  EXPECT_EQ(lines[1]["ravo"]["state"], "waiting");
  EXPECT_EQ(lines[2]["ravo"]["state"], "answered");
  EXPECT_EQ(lines[2]["ravo"]["cached"], false);
  EXPECT_EQ(lines[2]["rows"][0]["title"], "Lock Screen");
  EXPECT_EQ(lines[2]["rows"][0]["probability"], 0.9);
  // The second "at" is at least the quiet time after the first.
  EXPECT_GE(lines[2]["at"].get<int>() - lines[1]["at"].get<int>(), 90);
  const nlohmann::json& back = lines.back();
  EXPECT_EQ(back["ravo"]["cached"], true);
  EXPECT_EQ(titles(back).front(), "Lock Screen");
  EXPECT_EQ(service.requests(kCommandsPath).size(), 1u);
}

TEST_F(Session, RunPrintsWhatWouldRunAndClosesThePanel) {
  // The macOS table locks the screen by its own call whatever tools this machine has.
  const auto lines = session(
      {
          R"({"at": 0, "type": "open"})",
          R"({"at": 0, "type": "query", "text": "lock screen"})",
          R"({"at": 10, "type": "run"})",
      },
      nullptr, "--platform macos");
  ASSERT_GE(lines.size(), 3u);
  const nlohmann::json& ran = lines[lines.size() - 2]["ran"];
  EXPECT_EQ(ran["title"], "Lock Screen");
  EXPECT_EQ(ran["does"], "lockScreen");
  EXPECT_EQ(lines.back()["query"], "");
}

TEST_F(Session, TheMenusOfTheFrontApplicationAreReadFromItsSavedTree) {
  const std::string tree = std::string(QUILLO_MENUS_DATA) + "/notes_menus.json";
  const auto lines = session({
      R"({"at": 0, "type": "open", "frontApp": "com.apple.Notes", "menuTree": ")" + tree + R"("})",
      R"({"at": 50, "type": "query", "text": "new note"})",
  });
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front()["scope"], "menus");
  EXPECT_EQ(lines.back()["scope"], "menus");
  EXPECT_EQ(titles(lines.back()).front(), "New Note");
}

TEST_F(Session, TheFilesScopeSearchesTheSearchFoldersOnceIndexed) {
  quillo::testing::writeFile(folder / "docs/sub/holiday.jpg", "x");
  const CliRun added = quillo::cli::testing::runCli("folders add " + (folder / "docs").string(), "",
                                                    "XDG_CONFIG_HOME=" + (folder / "config").string());
  ASSERT_EQ(added.status, 0) << added.errors;
  const auto lines = session({
      R"({"at": 0, "type": "open"})",
      R"({"at": 0, "type": "tab"})",
      R"({"at": 0, "type": "query", "text": "holiday.jpg"})",
  });
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back()["scope"], "files");
  EXPECT_EQ(titles(lines.back()), std::vector<std::string>{"holiday.jpg"});
  // "Find files with Ravo" is off until the user turns it on.
  EXPECT_EQ(lines.back()["ravo"]["reason"], "file names stay on this Mac");
}

TEST_F(Session, AnUnknownEventEndsTheSessionAsAUsageError) {
  CliRun result;
  quillo::testing::writeFile(folder / "events", "{\"type\": \"jump\"}\n");
  result = quillo::cli::testing::runCli("session " + (folder / "events").string(), "",
                                        "XDG_CONFIG_HOME=" + (folder / "config").string());
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.errors.find("line 1: unknown event type \"jump\""), std::string::npos) << result.errors;
}

}  // namespace
