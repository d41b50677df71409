#include "service_settings.h"

#include "quillo/net/loader.h"
#include "service_files.h"

namespace quillo::cli {

std::optional<ServiceSettings> serviceSettings(const Arguments& arguments, core::ServiceOutcome& off) {
  off = {.state = core::ServiceState::off,
         .message = "No service address was given (--service).",
         .result = std::nullopt};
  if (!arguments.service) {
    if (arguments.keyFile || arguments.credentialFile || arguments.caFile) {
      throw UsageError("--key-file, --credential-file and --ca-file need --service");
    }
    return std::nullopt;
  }
  if (*arguments.service == "local") {
    if (arguments.keyFile || arguments.credentialFile || arguments.caFile)
      throw UsageError("--service local takes no --key-file, --credential-file or --ca-file");
    try {
      service::LocalService local = service::connectLocalService(service::LocalServicePaths::ofThisUser());
      return ServiceSettings{.baseUrl = local.connection.baseUrl,
                             .key = local.connection.signingKey,
                             .credential = "",
                             .caFile = local.connection.certificate.string(),
                             .localService = std::move(local.process)};
    } catch (const service::LocalServiceError& error) {
      off.message = error.what();
      return std::nullopt;
    }
  }
  if (!core::BackendClient::isAcceptedBaseUrl(*arguments.service)) {
    off.message = std::string(core::BackendError::message(core::BackendError::notConfigured));
    return std::nullopt;
  }
  if (!arguments.keyFile) throw UsageError("--service needs --key-file");
  return ServiceSettings{
      .baseUrl = *arguments.service,
      .key = readKeyFile(*arguments.keyFile),
      .credential = arguments.credentialFile ? readCredentialFile(*arguments.credentialFile) : "",
      .caFile = arguments.caFile,
      .localService = nullptr};
}

std::shared_ptr<core::BackendClient> connect(const ServiceSettings& settings,
                                             const platform::System& system) {
  const auto http = net::loadHttpTransport({.extraCaFile = settings.caFile});
  return std::make_shared<core::BackendClient>(
      settings.baseUrl, settings.key, std::make_shared<core::FixedCredential>(settings.credential), http,
      core::BackendClient::Options{.homeFolder = system.homeFolder()});
}

}  // namespace quillo::cli
