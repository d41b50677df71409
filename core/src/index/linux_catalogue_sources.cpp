#include "quillo/core/index/linux_catalogue_sources.h"

#include <string_view>

namespace quillo::core {

std::vector<std::string> currentDesktops(const platform::System& system) {
  const std::string text = system.environment("XDG_CURRENT_DESKTOP").value_or("");
  std::vector<std::string> desktops;
  std::string_view rest(text);
  while (!rest.empty()) {
    const auto colon = rest.find(':');
    if (const auto part = rest.substr(0, colon); !part.empty()) desktops.emplace_back(part);
    rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
  }
  return desktops;
}

std::string desktopEntryLocale(std::string localeIdentifier) {
  if (localeIdentifier == "en_US_POSIX") localeIdentifier.clear();
  return localeIdentifier;
}

SystemSources linuxCatalogueSources(std::vector<DesktopApplication> applications, const LinuxTools& tools,
                                    const platform::System& system, const NamedUserFolders& named) {
  Catalog::UserFolders folders = Catalog::UserFolders::inHome(system.homeFolder());
  if (named.desktop) folders.desktop = named.desktop->string();
  if (named.documents) folders.documents = named.documents->string();
  if (named.downloads) folders.downloads = named.downloads->string();
  return SystemSources::linuxDesktop(std::move(applications), tools, folders);
}

}  // namespace quillo::core
