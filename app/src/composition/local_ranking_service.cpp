#include "quillo/app/composition/local_ranking_service.h"

#include "quillo/net/loader.h"

namespace quillo::app {

LocalRankingService connectLocalRankingService(const platform::System& system) {
  const auto paths = service::LocalServicePaths::fromEnvironment(
      [&system](const char* name) { return system.environment(name); }, system.homeFolder());
  service::LocalService local = service::connectLocalService(paths);
  auto http = net::loadHttpTransport({.extraCaFile = local.connection.certificate.string()});
  auto client = std::make_shared<core::BackendClient>(
      local.connection.baseUrl, local.connection.signingKey, std::make_shared<core::FixedCredential>(""),
      std::move(http), core::BackendClient::Options{.homeFolder = system.homeFolder()});
  return {.client = std::move(client), .process = std::move(local.process)};
}

}  // namespace quillo::app
