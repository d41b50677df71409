#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "quillo/core/json/decoding_error.h"
#include "service_fixture.h"

namespace quillo::core {
namespace {

using namespace std::chrono_literals;
using quillo::testing::ServiceReply;
using test_support::command;

using quillo::testing::kCommandsPath;

class BackendClientTest : public ::testing::Test, protected test_support::ServiceFixture {
 protected:
  // Every request the client makes must pass the service's checks, unless a test says otherwise.
  void TearDown() override {
    if (!refusalsExpected) {
      EXPECT_EQ(service.refusals(), std::vector<std::string>{});
    }
  }
  bool refusalsExpected = false;

  // The error the client throws for a scripted answer to a command ranking.
  BackendError errorFor(const ServiceReply& reply) {
    service.answer(kCommandsPath, reply);
    try {
      client()->commands("q", RavoQuestions::scope::Commands{}, {}, false);
    } catch (const BackendError& error) {
      return error;
    }
    ADD_FAILURE() << "no BackendError";
    return BackendError("none");
  }
};

TEST(BackendClient, AcceptsOnlyPlainHttpsBaseAddresses) {
  for (const char* accepted : {"https://ravo.example", "https://ravo.example/", "https://127.0.0.1:8443/"}) {
    EXPECT_TRUE(BackendClient::isAcceptedBaseUrl(accepted)) << accepted;
  }
  for (const char* refused :
       {"http://ravo.example/", "HTTPS://ravo.example/", "https://ravo.example/v1",
        "https://ravo.example/?a=1", "https://ravo.example/#top", "https://user@ravo.example/",
        "https://user:pw@ravo.example/", "https:///", "https://", "https://ra vo.example/"}) {
    EXPECT_FALSE(BackendClient::isAcceptedBaseUrl(refused)) << refused;
  }
  const SigningKeyBytes key{};
  try {
    const BackendClient client("http://ravo.example/", key, nullptr, net::makeCurlTransport());
    FAIL() << "accepted an http address";
  } catch (const BackendError& error) {
    EXPECT_EQ(error.code(), "not_configured");
    EXPECT_STREQ(error.what(), "The Quillo service address has not been configured.");
  }
  EXPECT_EQ(BackendClient::configuredBaseUrl(std::nullopt), std::nullopt);
  EXPECT_EQ(BackendClient::configuredBaseUrl(""), std::nullopt);
  EXPECT_EQ(BackendClient::configuredBaseUrl("$(QUILLO_BACKEND_URL)"), std::nullopt);
  EXPECT_EQ(BackendClient::configuredBaseUrl("https://ravo.example/"), "https://ravo.example/");
}

TEST(BackendClient, RetryAfterIsAWholeFiniteNumberNotBelowZero) {
  EXPECT_EQ(BackendError::retryAfterSeconds("30"), 30.0);
  EXPECT_EQ(BackendError::retryAfterSeconds("2.5"), 2.5);
  EXPECT_EQ(BackendError::retryAfterSeconds("0"), 0.0);
  for (const char* unusable :
       {" 2", "2 ", "2s", "-1", "inf", "nan", "1e999", "Wed, 21 Oct 2015 07:28:00 GMT", ""}) {
    EXPECT_EQ(BackendError::retryAfterSeconds(unusable), std::nullopt) << unusable;
  }
  EXPECT_EQ(BackendError::retryAfterSeconds(std::nullopt), std::nullopt);
}

TEST(BackendClient, MessagesDependOnTheCodeAlone) {
  EXPECT_STREQ(BackendError("capacity_exceeded").what(), "Ravo is busy. Try again shortly.");
  EXPECT_STREQ(BackendError("capacity_rate_limited").what(), "Ravo is busy. Try again shortly.");
  EXPECT_STREQ(BackendError("rate_limited").what(), "Too many requests. Try again shortly.");
  EXPECT_STREQ(BackendError("busy").what(), "Too many requests. Try again shortly.");
  for (const char* other : {"unavailable", "invalid_request", "teapot"}) {
    EXPECT_STREQ(BackendError(other).what(), "Quillo could not reach its service. Try again shortly.")
        << other;
  }
}

TEST_F(BackendClientTest, SendsCompactSignedCommandRankingTheServiceAccepts) {
  service.expectCredential("secret");
  service.answer(kCommandsPath, {.body = quillo::testing::rankingBody({{"c0", 0.9}, {"none", 0.1}})});
  const std::vector<Command> candidates{command("Safari"),
                                        command("Lock Screen", Command::Kind::action, "lock it")};
  const BackendAnswer answer =
      client("secret")->commands("open the web", RavoQuestions::scope::Commands{}, candidates, true);
  EXPECT_EQ(answer.probabilities.at("c0"), 0.9);
  EXPECT_EQ(answer.usage.inputTokens, 10);

  const auto requests = service.requests(kCommandsPath);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(
      requests[0].body,
      R"({"query":"open the web","scope":{"kind":"commands","includeWebSearch":true},"candidates":[)"
      R"({"kind":"Application","title":"Safari","hint":""},{"kind":"Action","title":"Lock Screen","hint":"lock it"}]})");
  EXPECT_EQ(requests[0].header("Authorization"), "Bearer secret");
  EXPECT_EQ(requests[0].header("Content-Type"), "application/json");
}

TEST_F(BackendClientTest, WithoutCredentialSignsTheEmptyHashAndSendsNoAuthorization) {
  service.answer(kCommandsPath, {.body = quillo::testing::rankingBody({})});
  client("")->commands("q", RavoQuestions::scope::Commands{}, {}, false);
  const auto requests = service.requests(kCommandsPath);
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].header("Authorization"), std::nullopt);
  EXPECT_EQ(requests[0].json["candidates"], nlohmann::json::array());
}

TEST_F(BackendClientTest, ServiceRefusesWrongCredentialsAndOldTimestamps) {
  service.expectCredential("right");
  service.answer(kCommandsPath, {.body = quillo::testing::rankingBody({})});
  EXPECT_THROW(client("wrong")->commands("q", RavoQuestions::scope::Commands{}, {}, false), BackendError);
  BackendClient::Options stale;
  stale.now = [] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               (std::chrono::system_clock::now() - 6min).time_since_epoch())
        .count();
  };
  EXPECT_THROW(client("right", stale)->commands("q", RavoQuestions::scope::Commands{}, {}, false),
               BackendError);
  EXPECT_EQ(service.refusals(), (std::vector<std::string>{"/v1/rank/commands: wrong credential",
                                                          "/v1/rank/commands: stale timestamp"}));
  EXPECT_EQ(service.requests().size(), 0u);
  refusalsExpected = true;
}

TEST_F(BackendClientTest, ScopesBecomeTheirRecordsAndFilesIsRefusedWithoutTraffic) {
  service.answer(kCommandsPath, {.body = quillo::testing::rankingBody({})});
  const auto client = this->client();
  const std::vector<std::pair<RavoQuestions::Scope, std::string>> cases = {
      {RavoQuestions::scope::Menu{"Safari"}, R"({"kind":"menu","app":"Safari"})"},
      {RavoQuestions::scope::Sections{"Settings"}, R"({"kind":"sections","app":"Settings"})"},
      {RavoQuestions::scope::Pane{"Wi-Fi"}, R"({"kind":"pane","name":"Wi-Fi"})"},
      {RavoQuestions::scope::Commands{}, R"({"kind":"commands","includeWebSearch":false})"},
  };
  for (const auto& [scope, record] : cases) {
    client->commands("q", scope, {}, true && !std::holds_alternative<RavoQuestions::scope::Commands>(scope));
    EXPECT_EQ(nlohmann::ordered_json::parse(service.requests(kCommandsPath).back().body)["scope"].dump(),
              record);
  }
  try {
    client->commands("q", RavoQuestions::scope::Files{}, {}, false);
    FAIL() << "files scope accepted";
  } catch (const BackendError& error) {
    EXPECT_EQ(error.code(), "invalid_request");
  }
  EXPECT_EQ(service.requests().size(), cases.size());
}

TEST_F(BackendClientTest, ErrorAnswersCarryTheCodeAndRetryAfterAndRedirectsAreNotFollowed) {
  const BackendError limited = errorFor(
      {.status = 429, .body = R"({"error":"capacity_rate_limited"})", .headers = {{"Retry-After", "30"}}});
  EXPECT_EQ(limited.code(), "capacity_rate_limited");
  EXPECT_EQ(limited.retryAfter(), 30.0);
  // The header goes through the same reading as above: an unusable one is no delay at all.
  EXPECT_EQ(
      errorFor({.status = 429, .body = R"({"error":"rate_limited"})", .headers = {{"Retry-After", "2s"}}})
          .retryAfter(),
      std::nullopt);
  EXPECT_EQ(errorFor({.status = 500, .body = "<html><body>Internal error</body></html>"}).code(),
            "unavailable");

  service.answer("/v1/elsewhere", {.body = quillo::testing::rankingBody({})});
  const BackendError redirected =
      errorFor({.status = 302, .body = "", .headers = {{"Location", service.baseUrl() + "v1/elsewhere"}}});
  EXPECT_EQ(redirected.code(), "unavailable");
  EXPECT_EQ(service.requests("/v1/elsewhere").size(), 0u);
}

TEST_F(BackendClientTest, MalformedSuccessBodiesFailTheCall) {
  const std::vector<std::string> bodies = {
      "not json",
      R"({"probabilities":{"c0":0.5}})",
      R"({"probabilities":{"c0":"high"},"usage":{"input_tokens":1,"output_tokens":1}})",
      R"({"probabilities":{},"usage":{"input_tokens":1,"output_tokens":1},)"
      R"("interpretation":{"restriction":"category","extensions":["pdf"],"includeFolders":true,"requiresRanking":true}})",
  };
  for (const std::string& body : bodies) {
    service.answer(kCommandsPath, {.body = body});
    EXPECT_THROW(client()->commands("q", RavoQuestions::scope::Commands{}, {}, false), DecodingError) << body;
  }
}

TEST_F(BackendClientTest, TimeOutIsTheTransportsError) {
  service.answer(kCommandsPath, {.body = quillo::testing::rankingBody({}), .delay = 5s});
  const auto started = std::chrono::steady_clock::now();
  try {
    client("", {.commandsTimeout = 200ms})->commands("q", RavoQuestions::scope::Commands{}, {}, false);
    FAIL() << "no time-out";
  } catch (const base::TransportError& error) {
    EXPECT_EQ(error.kind(), base::TransportError::Kind::timedOut);
  }
  EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
}

// A server sending gigabytes took the client to 1 GB of memory before.
TEST_F(BackendClientTest, AnAnswerLargerThanTheTransportTakesIsItsOwnTransportError) {
  const std::shared_ptr<HttpTransport> small =
      net::makeCurlTransport({.extraCaFile = service.caFile().string(), .maxBodyBytes = 1000});
  BackendClient client(service.baseUrl(), service.clientKey(), nullptr, small);
  service.answer(kCommandsPath, {.body = quillo::testing::rankingBody({}) + std::string(100000, ' ')});
  try {
    client.commands("q", RavoQuestions::scope::Commands{}, {}, false);
    FAIL() << "no error";
  } catch (const base::TransportError& error) {
    EXPECT_EQ(error.kind(), base::TransportError::Kind::other);
    EXPECT_STREQ(error.what(), "The server's answer was larger than 1000 bytes.");
  }
}

TEST_F(BackendClientTest, CancellationEndsTheCallWithoutWaitingForTheAnswer) {
  service.answer(kCommandsPath, {.body = quillo::testing::rankingBody({}), .delay = 5s});
  const auto client = this->client();
  std::stop_source stop;
  const auto started = std::chrono::steady_clock::now();
  std::jthread canceller([&] {
    while (service.requests(kCommandsPath).empty())
      std::this_thread::sleep_for(5ms);
    stop.request_stop();
  });
  EXPECT_THROW(client->commands("q", RavoQuestions::scope::Commands{}, {}, false, stop.get_token()),
               base::Cancelled);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);

  // Cancelled before sending: nothing goes out.
  const std::size_t sent = service.requests().size();
  EXPECT_THROW(client->fileTypes("q", stop.get_token()), base::Cancelled);
  EXPECT_EQ(service.requests().size(), sent);
}

TEST_F(BackendClientTest, FileQuestionsSendTheirRecords) {
  service.answer(
      "/v1/files/types",
      {.body =
           R"({"probabilities":{},"usage":{"input_tokens":3,"output_tokens":1},"interpretation":)"
           R"({"restriction":"category","extensions":["pdf"],"includeFolders":false,"requiresRanking":false,)"
           R"("rankingMode":"compact","groups":[{"kind":"file","extensions":["pdf"],"weight":1}]}})"});
  service.answer("/v1/rank/files",
                 {.body = R"({"probabilities":{"c0":0.7},"usage":{"input_tokens":3,"output_tokens":1},)"
                          R"("candidateKinds":{"c0":"file","c1":"folder"}})"});
  const auto client = this->client("", {.homeFolder = "/Users/a"});
  const BackendAnswer types = client->fileTypes("my tax pdfs");
  ASSERT_TRUE(types.interpretation);
  EXPECT_EQ(types.interpretation->rankingMode, FileSearchInterpretation::RankingMode::compact);
  EXPECT_EQ(service.requests("/v1/files/types")[0].body, R"({"query":"my tax pdfs","includeFolders":true})");

  const std::vector<FileEntry> entries{
      {.kind = FileEntry::Kind::file, .url = base::Url::file("/Users/a/Documents/Tax 2024.pdf"), .size = 10},
      {.kind = FileEntry::Kind::folder, .url = base::Url::file("/Users/a/Projects/")},
      {.kind = FileEntry::Kind::file, .url = base::Url::file("/Users/ab/notes.txt"), .size = 1},
  };
  const BackendAnswer ranked =
      client->files("tax", entries, true, FileSearchInterpretation::RankingMode::standard);
  EXPECT_EQ(ranked.candidateKinds->at("c1"), FileEntry::Kind::folder);
  EXPECT_EQ(
      service.requests("/v1/rank/files")[0].body,
      R"({"query":"tax","files":[{"name":"Tax 2024.pdf","folder":"~/Documents","kind":"file"},)"
      R"({"name":"Projects","folder":"~","kind":"folder"},{"name":"notes.txt","folder":"/Users/ab","kind":"file"}],)"
      R"("classifyIntent":true})");
  client->files("tax", {}, false, FileSearchInterpretation::RankingMode::compact);
  EXPECT_EQ(service.requests("/v1/rank/files")[1].json["rankingMode"], "compact");
}

TEST_F(BackendClientTest, WarmUpNeedsACredentialAndSwallowsFailures) {
  service.answer("/v1/warmup", {.status = 500, .body = "oops"});
  client("")->warmUp();
  EXPECT_EQ(service.requests().size(), 0u);
  service.expectCredential("secret");
  client("secret")->warmUp();
  ASSERT_EQ(service.requests("/v1/warmup").size(), 1u);
  EXPECT_EQ(service.requests("/v1/warmup")[0].body, "{}");
}

TEST(BackendClientTrust, UntrustedCertificateIsATransportError) {
  quillo::testing::TestService service;
  service.answer(kCommandsPath, {.body = quillo::testing::rankingBody({})});
  BackendClient client(service.baseUrl(), service.clientKey(), nullptr, net::makeCurlTransport());
  try {
    client.commands("q", RavoQuestions::scope::Commands{}, {}, false);
    FAIL() << "trusted a certificate nobody vouched for";
  } catch (const base::TransportError& error) {
    EXPECT_EQ(error.kind(), base::TransportError::Kind::insecure);
  }
  EXPECT_EQ(service.requests().size(), 0u);
  EXPECT_THROW(net::makeCurlTransport({.extraCaFile = "/nonexistent/ca.pem"}), base::TransportError);
}

// /dev/zero was read until memory ran out before.
TEST(BackendClientTrust, CertificateFilesThatNeverEndAreRefused) {
  try {
    net::makeCurlTransport({.extraCaFile = "/dev/zero"});
    FAIL() << "/dev/zero taken as certificates";
  } catch (const base::TransportError& error) {
    EXPECT_STREQ(error.what(), "The certificate file /dev/zero is larger than 4 MB.");
  }
}

}  // namespace
}  // namespace quillo::core
