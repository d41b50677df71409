#include "desktop_catalogue.h"

#include <algorithm>
#include <cctype>

#include "quillo/base/log.h"
#include "quillo/base/process_environment.h"
#include "quillo/core/index/desktop_entry_folders.h"
#include "quillo/core/index/linux_catalogue_sources.h"
#include "quillo/gio/gio_library.h"

namespace quillo::ui {
namespace {

constexpr base::log::Logger kCatalogueLog("desktop");

bool sameName(std::string_view a, std::string_view b) {
  return !a.empty() && std::ranges::equal(a, b, [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

bool names(const std::string& id, const std::string& windowName) {
  if (sameName(id, windowName)) return true;
  const auto dot = id.rfind('.');
  return dot != std::string::npos && sameName(std::string_view(id).substr(dot + 1), windowName);
}

}  // namespace

DesktopCatalogue::DesktopCatalogue(const platform::System& system, const platform::FileSystem& files)
    : system_(system),
      files_(files),
      tools_(core::LinuxTools::find(core::LinuxSession::of(system),
                                    core::pathLookup(files, system.environment("PATH").value_or("")))),
      folders_(core::desktopEntryFolders(system)) {}

core::CommandIndex DesktopCatalogue::index() const {
  gio::DesktopEntryOptions options;
  options.folders = folders_;
  options.currentDesktops = core::currentDesktops(system_);
  options.locale = core::desktopEntryLocale(system_.localeIdentifier());
  gio::DesktopEntries entries = gio::readDesktopEntries(options);
  for (const std::string& warning : entries.warnings)
    kCatalogueLog.info("An application is not listed: {}", warning);
  {
    std::lock_guard lock(mutex_);
    entries_.clear();
    for (const core::DesktopApplication& application : entries.applications)
      entries_.push_back({application.id, application.name});
  }
  return core::CommandIndex::system(
      system_, files_, core::ApplicationRoots::standard(system_),
      core::linuxCatalogueSources(std::move(entries.applications), tools_, system_, gio::userFolders()));
}

std::optional<DesktopCatalogue::Entry> DesktopCatalogue::entryOfClass(const std::string& className,
                                                                      const std::string& instanceName) const {
  std::lock_guard lock(mutex_);
  for (const std::string& windowName : {instanceName, className}) {
    const auto found =
        std::ranges::find_if(entries_, [&](const Entry& entry) { return names(entry.id, windowName); });
    if (found != entries_.end()) return *found;
  }
  return std::nullopt;
}

std::unique_ptr<platform::Workspace> DesktopCatalogue::workspace() const {
  gio::WorkspaceOptions options;
  options.folders = folders_;
  options.environment = base::processEnvironment();
  return gio::makeWorkspace(options);
}

}  // namespace quillo::ui
