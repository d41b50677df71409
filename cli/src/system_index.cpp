#include "system_index.h"

#include <fmt/format.h>

#include <stdexcept>

#include "desktop_library.h"
#include "quillo/base/process_environment.h"
#include "quillo/core/actions/linux_tools.h"
#include "quillo/core/index/desktop_entry_folders.h"
#include "quillo/core/index/linux_catalogue_sources.h"

namespace quillo::cli {
namespace {

core::SystemSources linuxSources(const Arguments& arguments, const platform::System& system,
                                 const core::LinuxTools& tools, const char* command, std::FILE* errors) {
  const gio::LibraryEntry* library = nullptr;
  try {
    library = &desktopLibrary();
  } catch (const std::runtime_error& error) {
    fmt::print(errors, "quillo-cli {}: warning: applications are not listed: {}\n", command, error.what());
  }
  std::vector<core::DesktopApplication> applications;
  if (library != nullptr) {
    gio::DesktopEntryOptions options;
    options.folders = desktopEntryFolders(arguments, system);
    options.currentDesktops = core::currentDesktops(system);
    options.locale = core::desktopEntryLocale(arguments.locale.value_or(system.localeIdentifier()));
    gio::DesktopEntries entries = library->readDesktopEntries(options);
    for (const std::string& warning : entries.warnings)
      fmt::print(errors, "quillo-cli {}: warning: {}\n", command, warning);
    applications = std::move(entries.applications);
  }
  return core::linuxCatalogueSources(std::move(applications), tools, system,
                                     library != nullptr ? library->userFolders() : core::NamedUserFolders{});
}

}  // namespace

std::vector<std::filesystem::path> desktopEntryFolders(const Arguments& arguments,
                                                       const platform::System& system) {
  if (arguments.desktopEntries.empty()) return core::desktopEntryFolders(system);
  return {arguments.desktopEntries.begin(), arguments.desktopEntries.end()};
}

std::unique_ptr<platform::Workspace> desktopWorkspace(const Arguments& arguments,
                                                      const platform::System& system) {
  gio::WorkspaceOptions options;
  options.folders = desktopEntryFolders(arguments, system);
  options.environment = base::processEnvironment();
  return desktopLibrary().makeWorkspace(options);
}

SystemIndex systemIndex(const Arguments& arguments, const platform::System& system,
                        const platform::FileSystem& files, const char* command, std::FILE* errors) {
  core::ApplicationRoots roots = core::ApplicationRoots::standard(system);
  if (!arguments.applications.empty()) {
    roots = core::ApplicationRoots{.folders = {arguments.applications.begin(), arguments.applications.end()},
                                   .bundles = {}};
  }
  const core::ActionPlatform platform = arguments.platform.value_or(
      system.isMacOS() ? core::ActionPlatform::macOS : core::ActionPlatform::linuxDesktop);
  if (platform == core::ActionPlatform::macOS) {
    return {core::CommandIndex::system(system, files, roots, core::SystemSources::macOS(system)),
            core::ProcessCalls::macOS()};
  }
  const core::LinuxTools tools = core::LinuxTools::find(
      core::LinuxSession::of(system), core::pathLookup(files, system.environment("PATH").value_or("")));
  return {core::CommandIndex::system(system, files, roots,
                                     linuxSources(arguments, system, tools, command, errors)),
          core::ProcessCalls::linuxDesktop(tools)};
}

}  // namespace quillo::cli
