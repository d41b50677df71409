#include "quillo/app/analytics_client.h"
#include "quillo/base/xdg.h"

namespace quillo::app {

std::optional<AnalyticsDestination> builtInAnalyticsDestination() {
  AnalyticsDestination destination{QUILLO_ANALYTICS_ENDPOINT, QUILLO_ANALYTICS_APP_ID};
  if (destination.endpoint.empty() || destination.appID.empty()) return std::nullopt;
  return destination;
}

std::filesystem::path keptSignalsFile(const std::optional<std::string>& xdgStateHome,
                                      const std::filesystem::path& home) {
  return base::xdgFolder(base::XdgFolder::state, xdgStateHome, home) / "quillo" / "signals.json";
}

}  // namespace quillo::app
