#pragma once

#include <memory>
#include <optional>
#include <string>

#include "arguments.h"
#include "quillo/core/search/service_outcome.h"
#include "quillo/core/service/backend_client.h"
#include "quillo/platform/system.h"
#include "quillo/service/local_provisioning.h"

namespace quillo::cli {

// The ranking service the command line names, checked before anything is asked.
struct ServiceSettings {
  std::string baseUrl;
  core::SigningKeyBytes key{};
  std::string credential;
  std::optional<std::string> caFile;
  // The local service started for this call, ended with the settings; null otherwise.
  std::shared_ptr<service::LocalServiceProcess> localService{};
};

// The settings of --service and its files, or why there is no usable service (`off`). With
// "--service local", the local service: provisioned, and started for the call when none runs.
// Throws UsageError for options that contradict each other or unreadable files.
std::optional<ServiceSettings> serviceSettings(const Arguments& arguments, core::ServiceOutcome& off);

// A client for the settings: loads the HTTP library on first use. Throws when it cannot.
std::shared_ptr<core::BackendClient> connect(const ServiceSettings& settings, const platform::System& system);

}  // namespace quillo::cli
