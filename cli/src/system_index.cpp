#include "system_index.h"

#include <fmt/format.h>
#include <unistd.h>

#include <stdexcept>

#include "desktop_library.h"
#include "quillo/core/actions/linux_tools.h"
#include "quillo/core/index/desktop_entry_folders.h"

namespace quillo::cli {
namespace {

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    const auto end = text.find(separator, start);
    std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (!part.empty()) parts.push_back(std::move(part));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return parts;
}

core::Catalog::UserFolders userFolders(const gio::LibraryEntry* library, const platform::System& system) {
  core::Catalog::UserFolders folders = core::Catalog::UserFolders::inHome(system.homeFolder());
  if (library == nullptr) return folders;
  const gio::UserFolders named = library->userFolders();
  if (named.desktop) folders.desktop = named.desktop->string();
  if (named.documents) folders.documents = named.documents->string();
  if (named.downloads) folders.downloads = named.downloads->string();
  return folders;
}

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
    options.currentDesktops = split(system.environment("XDG_CURRENT_DESKTOP").value_or(""), ':');
    options.locale = arguments.locale.value_or(system.localeIdentifier());
    if (options.locale == "en_US_POSIX") options.locale.clear();
    gio::DesktopEntries entries = library->readDesktopEntries(options);
    for (const std::string& warning : entries.warnings)
      fmt::print(errors, "quillo-cli {}: warning: {}\n", command, warning);
    applications = std::move(entries.applications);
  }
  return core::SystemSources::linuxDesktop(std::move(applications), tools, userFolders(library, system));
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
  for (char** variable = environ; variable != nullptr && *variable != nullptr; ++variable) {
    const std::string text(*variable);
    const auto equals = text.find('=');
    if (equals != std::string::npos)
      options.environment.emplace(text.substr(0, equals), text.substr(equals + 1));
  }
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
