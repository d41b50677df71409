#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "quillo/base/log.h"
#include "quillo/core/preferences/file_defaults_store.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/testing/fake_system.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::core {
namespace {

namespace fs = std::filesystem;

DefaultsValue::Dictionary everyKind() {
  return {
      {"flag", true},
      {"count", std::int64_t{-42}},
      {"big", std::int64_t{1} << 40},
      {"ratio", 0.25},
      {"name", "Zoë"},
      {"bytes", DefaultsValue::Data{{0, 1, 255}}},
      {"when", base::Date{1764947730.5}},
      {"list", DefaultsValue::Array{"a", 2, false}},
      {"nested", DefaultsValue::Dictionary{{"keyCode", 49}, {"inner", DefaultsValue::Dictionary{}}}},
  };
}

std::string slurp(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(FileDefaultsStore, KeepsEveryKindExactlyAcrossReopening) {
  testing::TemporaryFolder folder;
  const fs::path file = folder / "quillo" / "defaults.plist";
  {
    FileDefaultsStore store(file);
    for (const auto& [key, value] : everyKind())
      store.set(key, value);
  }
  const FileDefaultsStore reopened(file);
  EXPECT_EQ(reopened.all(), everyKind());
  EXPECT_EQ(*reopened.value("name")->string(), "Zoë");
  // A string is a string, whatever key it sits under.
  EXPECT_EQ(reopened.value("flag")->kind(), DefaultsValue::Kind::boolean);
  EXPECT_EQ(reopened.value("missing"), std::nullopt);

  FileDefaultsStore(file).remove("flag");
  FileDefaultsStore(file).remove("never-set");
  EXPECT_EQ(FileDefaultsStore(file).all().size(), everyKind().size() - 1);
  EXPECT_EQ(FileDefaultsStore(file).value("flag"), std::nullopt);
}

TEST(FileDefaultsStore, CreatesAPrivateFolderAndFile) {
  testing::TemporaryFolder folder;
  const fs::path file = folder / "config" / "quillo" / "defaults.plist";
  FileDefaultsStore store(file);
  EXPECT_FALSE(fs::exists(file));  // nothing is written until something is set
  store.set("learnFromUsage", false);
  struct stat status {};
  ASSERT_EQ(stat(file.parent_path().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0700u);
  ASSERT_EQ(stat(file.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST(FileDefaultsStore, ACrashBeforeTheRenameLeavesTheOldFile) {
  testing::TemporaryFolder folder;
  const fs::path file = folder / "defaults.plist";
  FileDefaultsStore(file).set("kept", "old");
  const std::string before = slurp(file);

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The new file is complete and flushed; the process dies before it replaces the old one.
    FileDefaultsStore store(file, {.beforeReplace = [] { _exit(0); }});
    store.set("kept", "new");
    _exit(1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0) << "the child should have stopped before the rename";

  EXPECT_EQ(slurp(file), before);
  EXPECT_EQ(*FileDefaultsStore(file).value("kept")->string(), "old");
}

TEST(FileDefaultsStore, AFailedWriteKeepsThePreviousValue) {
  testing::TemporaryFolder folder;
  FileDefaultsStore store(folder / "defaults.plist",
                          {.beforeReplace = [] { throw DefaultsError("disk full"); }});
  EXPECT_THROW(store.set("a", 1), DefaultsError);
  EXPECT_EQ(store.value("a"), std::nullopt);
  for (const auto& entry : fs::directory_iterator(folder.path())) {
    ADD_FAILURE() << "left behind: " << entry.path();
  }
}

TEST(FileDefaultsStore, AFileThatCannotBeReadIsMovedAsideAndTheStoreStartsEmpty) {
  testing::TemporaryFolder folder;
  const fs::path file = folder / "defaults.plist";
  testing::writeFile(file, "this is not a property list");
  std::vector<std::string> warnings;
  base::log::setSink([&](base::log::Level level, std::string_view, std::string_view message) {
    if (level == base::log::Level::warning) warnings.emplace_back(message);
  });
  FileDefaultsStore store(file);
  base::log::resetSink();

  EXPECT_TRUE(store.all().empty());
  ASSERT_EQ(warnings.size(), 1u);
  std::vector<fs::path> aside;
  for (const auto& entry : fs::directory_iterator(folder.path()))
    aside.push_back(entry.path());
  ASSERT_EQ(aside.size(), 1u);
  EXPECT_TRUE(aside[0].filename().string().starts_with("defaults.plist.corrupt-")) << aside[0];
  EXPECT_EQ(slurp(aside[0]), "this is not a property list");

  // A plist whose root is not a dictionary is not preferences either.
  testing::writeFile(file, R"(<?xml version="1.0"?><plist version="1.0"><array><true/></array></plist>)");
  base::log::setSink([](base::log::Level, std::string_view, std::string_view) {});
  EXPECT_TRUE(FileDefaultsStore(file).all().empty());
  base::log::resetSink();
  EXPECT_FALSE(fs::exists(file));
}

TEST(FileDefaultsStore, ReadsXmlWrittenByHand) {
  testing::TemporaryFolder folder;
  testing::writeFile(folder / "defaults.plist", R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
  <key>learnFromUsage</key><string>no</string>
  <key>usage</key><dict><key>action.Sleep</key><integer>3</integer></dict>
</dict></plist>)");
  const FileDefaultsStore store(folder / "defaults.plist");
  EXPECT_EQ(*store.value("learnFromUsage")->string(), "no");
  EXPECT_EQ(store.value("usage")->dictionary()->at("action.Sleep").integer(), 3);
}

TEST(FileDefaultsStore, StandardPathFollowsXdgConfigHome) {
  testing::FakeSystem system;
  system.home = "/home/ana";
  EXPECT_EQ(FileDefaultsStore::standardPath(system), "/home/ana/.config/quillo/defaults.plist");
  system.variables["XDG_CONFIG_HOME"] = "/tmp/cfg";
  EXPECT_EQ(FileDefaultsStore::standardPath(system), "/tmp/cfg/quillo/defaults.plist");
  system.variables["XDG_CONFIG_HOME"] = "relative/cfg";
  EXPECT_EQ(FileDefaultsStore::standardPath(system), "/home/ana/.config/quillo/defaults.plist");
}

TEST(DefaultsStore, ObserversHearEveryChangeWhileSubscribed) {
  MemoryDefaultsStore store;
  std::vector<std::string> heard;
  {
    const auto subscription = store.observe([&](std::string_view key) { heard.emplace_back(key); });
    store.set("a", 1);
    store.set("a", 2);
    store.remove("a");
    store.remove("a");  // nothing to remove: no change
  }
  store.set("b", true);
  EXPECT_EQ(heard, (std::vector<std::string>{"a", "a", "a"}));

  // A subscription may outlive its store: destroying it afterwards must not touch freed memory.
  DefaultsStore::Subscription outliving;
  {
    MemoryDefaultsStore shortLived;
    outliving = shortLived.observe([](std::string_view) {});
  }
}

}  // namespace
}  // namespace quillo::core
