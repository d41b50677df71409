#include <gtest/gtest.h>

#include <future>
#include <nlohmann/json.hpp>

#include "running_service.h"

namespace quillo::service {
namespace {

using testing::RequestParts;
using testing::RunningService;

std::string errorOf(const core::HttpResponse& response) {
  const auto json = nlohmann::json::parse(response.body, nullptr, false);
  return json.is_object() && json.contains("error") ? json["error"].get<std::string>() : "(no error body)";
}

TEST(ProtocolChecks, SignedRequestIsAnswered) {
  const RunningService service;
  const core::HttpResponse response = service.send({});
  EXPECT_EQ(response.status, 200);
  EXPECT_EQ(nlohmann::json::parse(response.body), (nlohmann::json{{"warmed", true}}));
}

TEST(ProtocolChecks, EverySignedFieldAlteredAfterSigningIsRefused) {
  const RunningService service({}, {"token-a", "token-b"});
  const RequestParts original{.credential = "token-a"};
  const std::vector<std::pair<std::string, std::function<void(RequestParts&)>>> alterations = {
      {"path", [](RequestParts& p) { p.path = "/v1/rank/commands"; }},
      {"timestamp", [](RequestParts& p) { p.timestamp = std::to_string(std::stoll(p.timestamp) + 1); }},
      {"nonce", [](RequestParts& p) { p.nonce = base::Uuid::random().text(); }},
      {"body", [](RequestParts& p) { p.body = R"({ })"; }},
      {"credential", [](RequestParts& p) { p.credential = "token-b"; }},
  };
  for (const auto& [field, alter] : alterations) {
    SCOPED_TRACE(field);
    RequestParts altered = original;
    alter(altered);
    const core::HttpResponse response = service.send(altered, testing::signature(service.key(), original));
    EXPECT_EQ(response.status, 401);
    EXPECT_EQ(errorOf(response), "unauthorized");
  }
}

TEST(ProtocolChecks, SignatureOfAnUnregisteredKeyIsRefused) {
  const RunningService service;
  const RequestParts parts;
  const core::HttpResponse response = service.send(parts, testing::signature(testing::randomKey(), parts));
  EXPECT_EQ(response.status, 401);
  EXPECT_EQ(errorOf(response), "unauthorized");
}

TEST(ProtocolChecks, WrongOrMissingCredentialIsRefused) {
  const RunningService service({}, {"token-a"});
  for (const std::string credential : {"token-x", ""}) {
    const core::HttpResponse response = service.send({.credential = credential});
    EXPECT_EQ(response.status, 401) << credential;
  }
}

TEST(ProtocolChecks, ReplayedNonceIsRefused) {
  const RunningService service;
  const RequestParts parts;
  EXPECT_EQ(service.send(parts).status, 200);
  const core::HttpResponse replay = service.send(parts);
  EXPECT_EQ(replay.status, 409);
  EXPECT_EQ(errorOf(replay), "replayed");
}

TEST(ProtocolChecks, TimestampsOutsideFiveMinutesAreRefused) {
  const RunningService service;
  for (const std::int64_t offset : {-6 * 60 * 1000, 6 * 60 * 1000}) {
    const core::HttpResponse response =
        service.send({.timestamp = std::to_string(testing::nowMs() + offset)});
    EXPECT_EQ(response.status, 401);
    EXPECT_EQ(errorOf(response), "stale_request");
  }
  EXPECT_EQ(service.send({.timestamp = std::to_string(testing::nowMs() - 4 * 60 * 1000)}).status, 200);
}

TEST(ProtocolChecks, OversizedBodyIsRefusedUnread) {
  const RunningService service({.maxBodyBytes = 4096});
  const core::HttpResponse response =
      service.send({.body = "{\"query\":\"" + std::string(5000, 'a') + "\"}"});
  EXPECT_EQ(response.status, 413);
  EXPECT_EQ(errorOf(response), "too_large");
}

TEST(ProtocolChecks, MalformedJsonIsRefusedAndKeepsItsNonceUnused) {
  const RunningService service;
  RequestParts parts{.body = "{\"query\": "};
  const core::HttpResponse response = service.send(parts);
  EXPECT_EQ(response.status, 400);
  EXPECT_EQ(errorOf(response), "invalid_request");
  // Nothing was recorded: the nonce still serves a sound request.
  parts.body = "{}";
  EXPECT_EQ(service.send(parts).status, 200);
}

TEST(ProtocolChecks, RefusedSignatureKeepsItsNonceUnused) {
  const RunningService service;
  const RequestParts parts;
  EXPECT_EQ(service.send(parts, testing::signature(testing::randomKey(), parts)).status, 401);
  EXPECT_EQ(service.send(parts).status, 200);
}

TEST(ProtocolChecks, BodyOfTheWrongShapeIsRefusedAsInvalid) {
  const RunningService service;
  const std::vector<std::string> bodies = {
      R"([])",
      R"({"query":"x"})",
      R"({"query":7,"scope":{"kind":"commands"},"candidates":[]})",
      R"({"query":"x","scope":{"kind":"files"},"candidates":[]})",
      R"({"query":"x","scope":{"kind":"commands"},"candidates":[{"title":"a"}]})",
      R"({"query":"x","scope":{"kind":"commands"},"candidates":{"kind":"a"}})",
      std::string(100000, '[') + std::string(100000, ']'),
  };
  for (const std::string& body : bodies) {
    const core::HttpResponse response = service.send({.path = "/v1/rank/commands", .body = body});
    EXPECT_EQ(response.status, 400) << body.substr(0, 80);
    EXPECT_EQ(errorOf(response), "invalid_request");
  }
  EXPECT_EQ(service.send({}).status, 200);
}

TEST(ProtocolChecks, UnknownPathIsNotFound) {
  const RunningService service;
  const core::HttpResponse response = service.send({.path = "/v1/nothing"});
  EXPECT_EQ(response.status, 404);
  EXPECT_EQ(errorOf(response), "not_found");
}

TEST(ProtocolChecks, OverloadIsAnsweredBusyWithRetryAfter) {
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::promise<void> entered;
  const RunningService service({.workers = 1, .maxQueued = 0, .retryAfter = std::chrono::seconds(3)}, {},
                               [&](const std::string&, const CheckedRequest&) -> std::optional<Reply> {
                                 entered.set_value();
                                 released.wait();
                                 return Reply{};
                               });
  auto first = std::async(std::launch::async, [&] { return service.send({}); });
  bool letGone = false;
  const auto letGo = [&] {
    if (!std::exchange(letGone, true)) release.set_value();
  };
  // However the test ends, the blocked request is let go, so that nothing waits for ever.
  const std::shared_ptr<void> guard(nullptr, [&](void*) { letGo(); });
  ASSERT_EQ(entered.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
  const core::HttpResponse busy = service.send({});
  letGo();
  EXPECT_EQ(busy.status, 503);
  EXPECT_EQ(errorOf(busy), "busy");
  EXPECT_EQ(busy.header("Retry-After"), "3");
  EXPECT_EQ(first.get().status, 200);
}

}  // namespace
}  // namespace quillo::service
