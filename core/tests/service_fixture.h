#pragma once

#include <memory>
#include <string>

#include "quillo/core/service/backend_client.h"
#include "quillo/net/curl_transport.h"
#include "quillo/testing/test_service.h"

namespace quillo::core::test_support {

// A test service and clients that trust its certificate.
struct ServiceFixture {
  quillo::testing::TestService service;
  std::shared_ptr<HttpTransport> http = net::makeCurlTransport({.extraCaFile = service.caFile().string()});

  std::shared_ptr<BackendClient> client(std::string credential = "", BackendClient::Options options = {}) {
    return std::make_shared<BackendClient>(service.baseUrl(), service.clientKey(),
                                           std::make_shared<FixedCredential>(std::move(credential)), http,
                                           std::move(options));
  }
};

inline Command command(const std::string& title, Command::Kind kind = Command::Kind::app,
                       std::string hint = "") {
  return Command("app." + title, title, kind, std::move(hint), "", "", target::Shell{title});
}

}  // namespace quillo::core::test_support
