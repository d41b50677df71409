#pragma once

#include <memory>

#include "quillo/core/service/backend_client.h"
#include "quillo/platform/system.h"
#include "quillo/service/local_provisioning.h"

namespace quillo::app {

// The ranking service on this machine as the launcher uses it: the client that talks to it, and
// the child serving it when this process started one (ended when the last holder lets go).
struct LocalRankingService {
  std::shared_ptr<core::BackendClient> client;
  std::shared_ptr<service::LocalServiceProcess> process;
};

// Finds or starts the local service of this user and makes its client: signed with the
// provisioned key, trusting the service's own certificate, without a credential. Blocks (on a
// worker). Throws service::LocalServiceError, or the transport's error when libquillo-net cannot
// be loaded.
LocalRankingService connectLocalRankingService(const platform::System& system);

}  // namespace quillo::app
