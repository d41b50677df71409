#include "quillo/app/composition/local_ranking_service.h"

#include <mutex>

#include "quillo/net/loader.h"

namespace quillo::app {

namespace {

// Loads the network library (libcurl and the TLS libraries it brings, some 4 MB resident) on the
// first request rather than when the service connects: a launcher whose queries never reach the
// service never maps them.
class TransportOnFirstRequest final : public core::HttpTransport {
 public:
  explicit TransportOnFirstRequest(net::TransportOptions options) : options_(std::move(options)) {}

  core::HttpResponse send(const core::HttpRequest& request, std::stop_token stop) override {
    return loaded().send(request, stop);
  }

 private:
  core::HttpTransport& loaded() {
    const std::scoped_lock lock(mutex_);
    if (!transport_) transport_ = net::loadHttpTransport(options_);
    return *transport_;
  }

  const net::TransportOptions options_;
  std::mutex mutex_;
  std::shared_ptr<core::HttpTransport> transport_;
};

}  // namespace

LocalRankingService connectLocalRankingService(const platform::System& system) {
  const auto paths = service::LocalServicePaths::fromEnvironment(
      [&system](const char* name) { return system.environment(name); }, system.homeFolder());
  // Provisioned by quillo-ravo, so that OpenSSL starts in this process with the first signed
  // request, as the network library loads.
  service::LocalService local = service::connectLocalService(paths, {.provisionApart = true});
  auto http = std::make_shared<TransportOnFirstRequest>(
      net::TransportOptions{.extraCaFile = local.connection.certificate.string()});
  auto client = std::make_shared<core::BackendClient>(
      local.connection.baseUrl, local.connection.signingKey, std::make_shared<core::FixedCredential>(""),
      std::move(http), core::BackendClient::Options{.homeFolder = system.homeFolder()});
  return {.client = std::move(client), .process = std::move(local.process)};
}

}  // namespace quillo::app
