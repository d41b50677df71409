#include "quillo/app/shell/update_checker.h"

// Compiled with the build's release feed and version (see app/CMakeLists.txt).
namespace quillo::app {

std::optional<std::string> configuredReleaseFeed() {
  const std::string_view feed = QUILLO_RELEASE_FEED;
  if (feed.empty()) return std::nullopt;
  return std::string(feed);
}

std::string programVersion() {
  return QUILLO_VERSION;
}

}  // namespace quillo::app
