#include <algorithm>
#include <unordered_set>

#include "quillo/base/collator.h"
#include "quillo/core/commands/app_launch.h"
#include "quillo/core/index/catalog.h"
#include "quillo/core/index/command_index.h"
#include "quillo/core/system/bundle_info.h"

namespace quillo::core {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kLauncherName = "Quillo";

bool isBundle(const fs::path& path) {
  return path.extension() == ".app";
}

// Bundles in `folder` and, while depth allows, in the folders below it. A folder that cannot be
// listed yields nothing. Entries are taken in name order so that shadowing never depends on the
// order a file system happens to list them in.
bool isFolder(const platform::FileSystem& files, const fs::path& path) {
  try {
    const auto status = files.status(path);
    return status && status->kind == platform::FileKind::folder;
  } catch (const platform::FileSystemError&) {
    return false;
  }
}

void collectBundles(const platform::FileSystem& files, const fs::path& folder, int depth,
                    std::vector<fs::path>& bundles) {
  std::vector<fs::path> entries;
  try {
    for (const platform::DirectoryEntry& entry : files.list(folder))
      entries.push_back(folder / entry.name);
  } catch (const platform::FileSystemError&) {
    return;
  }
  std::sort(entries.begin(), entries.end());
  for (const fs::path& entry : entries) {
    if (isBundle(entry)) {
      bundles.push_back(entry);
    } else if (depth >= 1 && isFolder(files, entry)) {
      collectBundles(files, entry, depth - 1, bundles);
    }
  }
}

// The category an application declares, in words: "public.app-category.developer-tools" reads
// "developer tools".
std::string bundleCategory(const platform::FileSystem& files, const fs::path& bundle) {
  const auto info = BundleInfo::read(files, bundle);
  if (!info) return {};
  std::string category = info->string("LSApplicationCategoryType").value_or("");
  constexpr std::string_view prefix = "public.app-category.";
  for (auto at = category.find(prefix); at != std::string::npos; at = category.find(prefix, at)) {
    category.erase(at, prefix.size());
  }
  std::replace(category.begin(), category.end(), '-', ' ');
  return category;
}

// What the ranking service reads about a desktop application: the generic name or the comment,
// then its keywords; its categories when it has neither.
std::string desktopHint(const DesktopApplication& app) {
  if (const auto known = Catalog::appHint(app.name)) return std::string(*known);
  std::string hint = app.genericName.empty() ? app.comment : app.genericName;
  std::string keywords;
  for (const std::string& keyword : app.keywords)
    keywords += (keywords.empty() ? "" : ", ") + keyword;
  if (!keywords.empty()) hint += (hint.empty() ? "" : ". ") + keywords;
  if (hint.empty()) {
    for (const std::string& category : app.categories)
      hint += (hint.empty() ? "" : ", ") + category;
  }
  return hint;
}

void addDesktopApplication(const DesktopApplication& app, std::vector<Command>& commands) {
  const std::string path = app.path.string();
  const std::string hint = desktopHint(app);
  commands.emplace_back("app." + app.id, app.name, Command::Kind::app, hint, "", "", appTarget(path));
  for (const DesktopAction& action : app.actions) {
    commands.emplace_back("app." + app.id + "#" + action.id, app.name + ": " + action.name,
                          Command::Kind::app, hint, "", "", appTarget(path, action.id));
  }
}

}  // namespace

ApplicationRoots ApplicationRoots::standard(const platform::System& system) {
  return {
      .folders = {"/Applications", "/System/Applications", "/System/Applications/Utilities",
                  "/System/Cryptexes/App/System/Applications", "/System/Library/CoreServices/Applications",
                  fs::path(system.homeFolder()) / "Applications"},
      .bundles = {"/System/Library/CoreServices/Finder.app"},
  };
}

std::vector<Command> CommandIndex::installedApps(const platform::FileSystem& files,
                                                 const ApplicationRoots& roots, const std::string& locale) {
  return installedApps(files, roots, {}, locale);
}

std::vector<Command> CommandIndex::installedApps(const platform::FileSystem& files,
                                                 const ApplicationRoots& roots,
                                                 const std::vector<DesktopApplication>& desktopApplications,
                                                 const std::string& locale) {
  std::vector<fs::path> bundles;
  for (const fs::path& folder : roots.folders)
    collectBundles(files, folder, 1, bundles);
  for (const fs::path& bundle : roots.bundles) {
    if (isFolder(files, bundle)) bundles.push_back(bundle);
  }

  std::vector<Command> commands;
  std::unordered_set<std::string> names;
  for (const fs::path& bundle : bundles) {
    std::string name = bundle.stem().string();
    if (name == kLauncherName || !names.insert(name).second) continue;
    const std::string path = bundle.string();
    std::string hint = std::string(Catalog::appHint(name).value_or(""));
    if (hint.empty()) hint = bundleCategory(files, bundle);
    commands.emplace_back("app." + path, std::move(name), Command::Kind::app, std::move(hint), "", "",
                          target::App{base::Url::file(path)});
  }
  for (const DesktopApplication& app : desktopApplications) {
    if (app.name == kLauncherName || !names.insert(app.name).second) continue;
    addDesktopApplication(app, commands);
  }

  const base::CaseInsensitiveCollator collator(locale);
  std::stable_sort(commands.begin(), commands.end(), [&collator](const Command& a, const Command& b) {
    return collator.compare(a.title, b.title) < 0;
  });
  return commands;
}

}  // namespace quillo::core
