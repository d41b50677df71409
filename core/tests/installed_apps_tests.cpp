#include <gtest/gtest.h>
#include <plist/plist.h>

#include <cstdlib>

#include "quillo/core/index/catalog.h"
#include "quillo/core/index/command_index.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/fake_file_system.h"
#include "quillo/testing/temporary_folder.h"
#include "test_disk.h"
#include "test_titles.h"

namespace quillo::core {
namespace {

using test_support::disk;

namespace fs = std::filesystem;
using testing::TemporaryFolder;
using testing::writeFile;

std::string xmlInfo(std::string_view category) {
  std::string plist = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0"><dict><key>CFBundleIdentifier</key><string>com.example.app</string>)";
  if (!category.empty()) {
    plist += "<key>LSApplicationCategoryType</key><string>" + std::string(category) + "</string>";
  }
  return plist + "</dict></plist>";
}

std::string binaryInfo(const char* category) {
  plist_t dict = plist_new_dict();
  plist_dict_set_item(dict, "LSApplicationCategoryType", plist_new_string(category));
  char* data = nullptr;
  uint32_t length = 0;
  plist_to_bin(dict, &data, &length);
  std::string bytes(data, length);
  std::free(data);
  plist_free(dict);
  return bytes;
}

fs::path makeBundle(const fs::path& folder, std::string_view name,
                    std::optional<std::string> info = std::nullopt) {
  const fs::path bundle = folder / (std::string(name) + ".app");
  fs::create_directories(bundle / "Contents" / "MacOS");
  if (info) writeFile(bundle / "Contents" / "Info.plist", *info);
  return bundle;
}

using test_support::titles;

const Command* find(const std::vector<Command>& commands, std::string_view title) {
  for (const Command& command : commands) {
    if (command.title == title) return &command;
  }
  return nullptr;
}

TEST(InstalledApps, FirstBundleOfANameShadowsLaterOnes) {
  TemporaryFolder root;
  const fs::path mine = makeBundle(root / "Applications", "Safari", xmlInfo(""));
  makeBundle(root / "System" / "Applications", "Safari", xmlInfo("public.app-category.productivity"));
  const auto apps = CommandIndex::installedApps(
      disk, {.folders = {root / "Applications", root / "System" / "Applications"}, .bundles = {}}, "en_US");
  ASSERT_EQ(apps.size(), 1u);
  EXPECT_EQ(apps[0].id, "app." + mine.string());
  EXPECT_EQ(apps[0].kind, Command::Kind::app);
  EXPECT_EQ(apps[0].target, Command::Target(target::App{base::Url::file(mine.string())}));
  EXPECT_EQ(apps[0].hint, "");
}

TEST(InstalledApps, SearchesOneFolderDownAndNeverInsideBundles) {
  TemporaryFolder root;
  makeBundle(root.path(), "Top");
  makeBundle(root / "Utilities", "Nested");
  makeBundle(root / "Utilities" / "Deeper", "TooDeep");
  makeBundle(root / "Top.app" / "Contents" / "Helpers", "Helper");
  makeBundle(root.path(), "Quillo");  // the launcher never lists itself
  writeFile(root / "notes.txt", "not an application");
  const auto apps =
      CommandIndex::installedApps(disk, {.folders = {root.path(), root / "missing"}, .bundles = {}}, "en_US");
  EXPECT_EQ(titles(apps), (std::vector<std::string>{"Nested", "Top"}));
}

TEST(InstalledApps, ExtraBundlesAreAddedWhenTheyExist) {
  TemporaryFolder root;
  const fs::path finder = makeBundle(root / "CoreServices", "Finder");
  const auto apps = CommandIndex::installedApps(
      disk, {.folders = {}, .bundles = {finder, root / "CoreServices" / "Gone.app"}}, "en_US");
  ASSERT_EQ(titles(apps), (std::vector<std::string>{"Finder"}));
  EXPECT_EQ(apps[0].hint, "Browse files, folders, and disks, open a Finder window");
}

TEST(InstalledApps, HintIsTheKnownDescriptionElseTheCategoryInWords) {
  TemporaryFolder root;
  makeBundle(root.path(), "Terminal", xmlInfo("public.app-category.developer-tools"));
  makeBundle(root.path(), "Xcode", xmlInfo("public.app-category.developer-tools"));
  makeBundle(root.path(), "Chess", binaryInfo("public.app-category.board-games"));
  makeBundle(root.path(), "Bare");
  makeBundle(root.path(), "Broken", std::string("<plist><dict><key>unterminated"));
  makeBundle(root.path(), "Odd", xmlInfo("public.app-category.public.app-category.music"));
  const auto apps = CommandIndex::installedApps(disk, {.folders = {root.path()}, .bundles = {}}, "en_US");
  EXPECT_EQ(find(apps, "Terminal")->hint, "Command line shell");
  EXPECT_EQ(Catalog::appHint("terminal"), std::nullopt);  // known descriptions go by the exact name
  EXPECT_EQ(find(apps, "Xcode")->hint, "developer tools");
  EXPECT_EQ(find(apps, "Chess")->hint, "board games");
  EXPECT_EQ(find(apps, "Bare")->hint, "");
  EXPECT_EQ(find(apps, "Broken")->hint, "");
  EXPECT_EQ(find(apps, "Odd")->hint, "music");
}

TEST(InstalledApps, AFolderThatCannotBeListedIsSkippedAndTheOthersStillCount) {
  testing::FakeFileSystem files;
  files.folders = {"/apps/locked/Hidden.app", "/apps/open/Shown.app"};
  files.unreadable = {"/apps/locked"};
  EXPECT_EQ(titles(CommandIndex::installedApps(
                files, {.folders = {"/apps/locked", "/apps/open"}, .bundles = {}}, "en_US")),
            (std::vector<std::string>{"Shown"}));
}

TEST(InstalledApps, SortedByTitleIgnoringCaseForTheLocale) {
  TemporaryFolder root;
  for (const char* name : {"zulu", "Alpha", "beta", "Émile", "Öl"})
    makeBundle(root.path(), name);
  EXPECT_EQ(titles(CommandIndex::installedApps(disk, {.folders = {root.path()}, .bundles = {}}, "en_US")),
            (std::vector<std::string>{"Alpha", "beta", "Émile", "Öl", "zulu"}));
  // Swedish sorts Ö after Z.
  EXPECT_EQ(titles(CommandIndex::installedApps(disk, {.folders = {root.path()}, .bundles = {}}, "sv_SE")),
            (std::vector<std::string>{"Alpha", "beta", "Émile", "zulu", "Öl"}));
}

}  // namespace
}  // namespace quillo::core
