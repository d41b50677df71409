#include "desktop_catalogue.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>

#include "quillo/base/log.h"
#include "quillo/core/index/desktop_entry_folders.h"
#include "quillo/gio/gio_library.h"

namespace quillo::ui {
namespace {

constexpr base::log::Logger kLog("desktop");

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

core::Catalog::UserFolders userFolders(const platform::System& system) {
  core::Catalog::UserFolders folders = core::Catalog::UserFolders::inHome(system.homeFolder());
  const gio::UserFolders named = gio::userFolders();
  if (named.desktop) folders.desktop = named.desktop->string();
  if (named.documents) folders.documents = named.documents->string();
  if (named.downloads) folders.downloads = named.downloads->string();
  return folders;
}

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
  options.currentDesktops = split(system_.environment("XDG_CURRENT_DESKTOP").value_or(""), ':');
  options.locale = system_.localeIdentifier();
  if (options.locale == "en_US_POSIX") options.locale.clear();
  gio::DesktopEntries entries = gio::readDesktopEntries(options);
  for (const std::string& warning : entries.warnings)
    kLog.info("An application is not listed: {}", warning);
  {
    std::lock_guard lock(mutex_);
    entries_.clear();
    for (const core::DesktopApplication& application : entries.applications)
      entries_.push_back({application.id, application.name});
  }
  return core::CommandIndex::system(
      system_, files_, core::ApplicationRoots::standard(system_),
      core::SystemSources::linuxDesktop(std::move(entries.applications), tools_, userFolders(system_)));
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
  for (char** variable = environ; variable != nullptr && *variable != nullptr; ++variable) {
    const std::string text(*variable);
    const auto equals = text.find('=');
    if (equals != std::string::npos)
      options.environment.emplace(text.substr(0, equals), text.substr(equals + 1));
  }
  return gio::makeWorkspace(options);
}

}  // namespace quillo::ui
