#include <fmt/format.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <tuple>

#include "cli_runner.h"
#include "quillo/testing/test_service.h"

namespace {

using quillo::cli::testing::CliRun;
using quillo::testing::ServiceReply;
using quillo::testing::ServiceRequest;

using quillo::testing::kCommandsPath;

std::string hex(const quillo::core::SigningKeyBytes& key) {
  std::string text;
  for (const std::uint8_t byte : key)
    text += fmt::format("{:02x}", byte);
  return text;
}

// quillo-cli search run against the test service, with no applications and preferences of its own.
class ServiceSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    quillo::testing::writeFile(folder / "key", hex(service.clientKey()) + "\n");
    std::string raw(service.clientKey().begin(), service.clientKey().end());
    quillo::testing::writeFile(folder / "raw-key", raw);
    quillo::testing::writeFile(folder / "credential", "token-1\n");
    for (const char* key : {"key", "raw-key"})
      std::filesystem::permissions(folder / key,
                                   std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::filesystem::create_directories(folder / "apps");
    service.expectCredential("token-1");
  }
  void TearDown() override { EXPECT_EQ(service.refusals(), std::vector<std::string>{}); }

  std::string serviceOptions(const std::string& keyFile = "key") const {
    return "--service " + service.baseUrl() + " --key-file " + (folder / keyFile).string() +
           " --credential-file " + (folder / "credential").string() + " --ca-file " +
           service.caFile().string();
  }

  CliRun search(const std::string& options, const std::string& query) const {
    return quillo::cli::testing::runCli("search --json --platform macos --applications " +
                                            (folder / "apps").string() + " " + options + " '" + query + "'",
                                        "", "XDG_CONFIG_HOME=" + (folder / "config").string());
  }

  nlohmann::json json(const CliRun& run) const {
    EXPECT_EQ(run.status, 0) << run.errors;
    return nlohmann::json::parse(run.output);
  }

  quillo::testing::TemporaryFolder folder;
  quillo::testing::TestService service;
};

// Ranks the candidates by title, as a service that understood the query would.
ServiceReply rankByTitle(const ServiceRequest& request, const std::map<std::string, double>& table) {
  std::map<std::string, double> probabilities{{"none", 0.05}};
  const auto& candidates = request.json["candidates"];
  for (std::size_t position = 0; position < candidates.size(); ++position) {
    const auto found = table.find(candidates[position]["title"].get<std::string>());
    if (found != table.end()) probabilities["c" + std::to_string(position)] = found->second;
  }
  return {.body = quillo::testing::rankingBody(probabilities, 42)};
}

TEST_F(ServiceSearch, AnsweredRowsMergeWithLocalOnes) {
  service.on(kCommandsPath, [](const ServiceRequest& request) {
    return rankByTitle(request, {{"Lock Screen", 0.91}, {"Sleep", 0.3}, {"Lock Screen Settings", 0.02}});
  });
  for (const std::string keyFile : {"key", "raw-key"}) {
    // A weak local match: the service's rows lead, the local ones follow, each command once.
    const nlohmann::json result = json(search(serviceOptions(keyFile), "lck"));
    const auto& service = result["service"];
    EXPECT_EQ(service["state"], "answered");
    EXPECT_EQ(service["message"], nullptr);
    EXPECT_TRUE(service["latencyMs"].is_number_integer());
    EXPECT_EQ(service["inputTokens"], 42);
    EXPECT_EQ(service["noneProbability"], 0.05);
    std::vector<std::tuple<std::string, nlohmann::json, nlohmann::json>> rows;
    for (const auto& row : result["rows"])
      rows.emplace_back(row["title"], row["score"], row["probability"]);
    ASSERT_GE(rows.size(), 3u) << result.dump(2);
    EXPECT_EQ(rows[0], std::make_tuple("Lock Screen", nlohmann::json(96), nlohmann::json(0.91)));
    EXPECT_EQ(rows[1], std::make_tuple("Sleep", nlohmann::json(), nlohmann::json(0.3)));
    // Below the threshold the service's probability is not kept.
    EXPECT_EQ(rows[2], std::make_tuple("Lock Screen Settings", nlohmann::json(94), nlohmann::json()));
  }
  ASSERT_EQ(service.requests(kCommandsPath).size(), 2u);
  EXPECT_EQ(service.requests(kCommandsPath)[0].json["query"], "lck");
}

TEST_F(ServiceSearch, WebSearchSuggestionBecomesARow) {
  service.on(kCommandsPath, [](const ServiceRequest& request) {
    nlohmann::json body = nlohmann::json::parse(rankByTitle(request, {}).body);
    body["webSearch"] = {{"siteProbabilities", {{"youtube", 0.8}}}};
    return ServiceReply{.body = body.dump()};
  });
  const nlohmann::json result = json(search(serviceOptions(), "cat videos youtube"));
  ASSERT_FALSE(result["rows"].empty());
  EXPECT_EQ(result["rows"][0]["id"], "web.youtube");
  EXPECT_EQ(result["rows"][0]["probability"], 0.8);
  EXPECT_EQ(result["rows"][0]["detail"], "cat videos");
}

TEST_F(ServiceSearch, QueriesNotWorthAskingAreIdleAndNoUsableServiceIsOff) {
  const nlohmann::json idle{{"state", "idle"},
                            {"message", nullptr},
                            {"latencyMs", nullptr},
                            {"inputTokens", nullptr},
                            {"noneProbability", nullptr}};
  nlohmann::json unaddressed = idle;
  unaddressed["state"] = "off";
  unaddressed["message"] = "No service address was given (--service).";
  nlohmann::json plain = unaddressed;
  plain["message"] = "The Quillo service address has not been configured.";
  const std::tuple<std::string, std::string, nlohmann::json> cases[] = {
      {serviceOptions(), "lo", idle},
      {serviceOptions(), "lock", idle},
      {"", "lck", unaddressed},
      {"--service http://127.0.0.1:1/ --key-file " + (folder / "key").string(), "lock my mac now", plain},
  };
  for (const auto& [options, query, expected] : cases)
    EXPECT_EQ(json(search(options, query))["service"], expected) << options << " / " << query;
  EXPECT_FALSE(json(search("", "lck"))["rows"].empty());
  EXPECT_TRUE(service.requests().empty());
}

TEST_F(ServiceSearch, FailuresKeepTheLocalRowsAndExitZero) {
  service.answer(kCommandsPath, {.status = 429, .body = R"({"error":"rate_limited"})"});
  const CliRun run = search(serviceOptions(), "lck");
  const nlohmann::json result = json(run);
  EXPECT_EQ(result["service"]["state"], "failed");
  EXPECT_EQ(result["service"]["message"], "Too many requests. Try again shortly.");
  EXPECT_EQ(result["service"]["noneProbability"], nullptr);
  ASSERT_FALSE(result["rows"].empty());
  EXPECT_EQ(result["rows"][0]["title"], "Lock Screen");
  EXPECT_EQ(result["rows"][0]["probability"], nullptr);

  // Without the certificate the service cannot be trusted: a failure too.
  const nlohmann::json untrusted = json(search(
      "--service " + service.baseUrl() + " --key-file " + (folder / "key").string(), "lock my mac now"));
  EXPECT_EQ(untrusted["service"]["state"], "failed");
}

TEST_F(ServiceSearch, BadServiceOptionsAreUsageErrors) {
  quillo::testing::writeFile(folder / "short-key", "abcd\n");
  for (const std::string& options : {"--service " + service.baseUrl(), serviceOptions("short-key"),
                                     "--key-file " + (folder / "key").string()})
    EXPECT_EQ(search(options, "lock my mac").status, 2) << options;
  EXPECT_TRUE(service.requests().empty());
}

TEST_F(ServiceSearch, KeyFilesOthersCanReadAreUsedWithAWarning) {
  const std::string warning =
      "warning: the key file '" + (folder / "key").string() + "' is open to other users";
  EXPECT_EQ(search(serviceOptions(), "lck").errors.find(warning), std::string::npos);
  std::filesystem::permissions(folder / "key",
                               std::filesystem::perms::group_read | std::filesystem::perms::others_read,
                               std::filesystem::perm_options::add);
  const CliRun run = search(serviceOptions(), "lck");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.errors.find(warning + " (permissions 0644)"), std::string::npos) << run.errors;
}

TEST_F(ServiceSearch, ServiceFilesThatNeverEndAreRefusedWithTheirOwnMessage) {
  const CliRun key = search("--service " + service.baseUrl() + " --key-file /dev/zero", "lock my mac");
  EXPECT_EQ(key.status, 2);
  EXPECT_NE(key.errors.find("--key-file: '/dev/zero' is too large to be a signing key"), std::string::npos)
      << key.errors;
  const CliRun credential = search(serviceOptions() + " --credential-file /dev/zero", "lock my mac");
  EXPECT_EQ(credential.status, 2);
  EXPECT_NE(credential.errors.find("--credential-file: '/dev/zero' is too large to be a credential"),
            std::string::npos)
      << credential.errors;
  EXPECT_TRUE(service.requests().empty());
}

// Random bytes were sent as the credential before, line breaks and all, inside a request header.
TEST_F(ServiceSearch, CredentialsThatAreNotATokenAreRefused) {
  quillo::testing::writeFile(folder / "binary", "token\r\nX-Other: 1");
  const CliRun run =
      search(serviceOptions() + " --credential-file " + (folder / "binary").string(), "lock my mac");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.errors.find("holds characters a credential cannot have"), std::string::npos) << run.errors;
  EXPECT_TRUE(service.requests().empty());
}

}  // namespace
