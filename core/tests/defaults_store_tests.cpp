#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "quillo/base/log.h"
#include "quillo/core/preferences/file_defaults_store.h"
#include "quillo/core/preferences/memory_defaults_store.h"
#include "quillo/core/results/usage_store.h"
#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/fake_file_system.h"
#include "quillo/testing/fake_system.h"
#include "quillo/testing/temporary_folder.h"
#include "test_disk.h"

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

using test_support::disk;

std::vector<fs::path> entries(const fs::path& folder) {
  std::vector<fs::path> found;
  for (const auto& entry : fs::directory_iterator(folder))
    found.push_back(entry.path());
  std::sort(found.begin(), found.end());
  return found;
}

// Swallows the store's warnings while it lives.
struct QuietLog {
  QuietLog() {
    base::log::setSink([](base::log::Level, std::string_view, std::string_view) {});
  }
  ~QuietLog() { base::log::resetSink(); }
};

std::string slurp(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(FileDefaultsStore, KeepsEveryKindExactlyAcrossReopening) {
  testing::TemporaryFolder folder;
  const fs::path file = folder / "quillo" / "defaults.plist";
  {
    FileDefaultsStore store(file, disk);
    for (const auto& [key, value] : everyKind())
      store.set(key, value);
  }
  const FileDefaultsStore reopened(file, disk);
  EXPECT_EQ(reopened.all(), everyKind());
  EXPECT_EQ(*reopened.value("name")->string(), "Zoë");
  // A string is a string, whatever key it sits under.
  EXPECT_EQ(reopened.value("flag")->kind(), DefaultsValue::Kind::boolean);
  EXPECT_EQ(reopened.value("missing"), std::nullopt);

  FileDefaultsStore(file, disk).remove("flag");
  FileDefaultsStore(file, disk).remove("never-set");
  EXPECT_EQ(FileDefaultsStore(file, disk).all().size(), everyKind().size() - 1);
  EXPECT_EQ(FileDefaultsStore(file, disk).value("flag"), std::nullopt);
}

TEST(FileDefaultsStore, CreatesAPrivateFolderAndFile) {
  testing::TemporaryFolder folder;
  const fs::path file = folder / "config" / "quillo" / "defaults.plist";
  FileDefaultsStore store(file, disk);
  EXPECT_FALSE(fs::exists(file));  // nothing is written until something is set
  store.set("learnFromUsage", false);
  struct stat status {};
  ASSERT_EQ(stat(file.parent_path().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0700u);
  ASSERT_EQ(stat(file.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST(FileDefaultsStore, AFailedWriteKeepsThePreviousValue) {
  testing::FakeFileSystem files;
  FileDefaultsStore store("/config/quillo/defaults.plist", files);
  files.writeFailure = "No space left on device";
  EXPECT_THROW(store.set("a", 1), DefaultsError);
  EXPECT_EQ(store.value("a"), std::nullopt);
  EXPECT_TRUE(files.files.empty());
}

TEST(FileDefaultsStore, AFileThatCannotBeReadIsMovedAsideAndTheStoreStartsEmpty) {
  testing::TemporaryFolder folder;
  const fs::path file = folder / "defaults.plist";
  testing::writeFile(file, "this is not a property list");
  std::vector<std::string> warnings;
  base::log::setSink([&](base::log::Level level, std::string_view, std::string_view message) {
    if (level == base::log::Level::warning) warnings.emplace_back(message);
  });
  FileDefaultsStore store(file, disk);
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
  EXPECT_TRUE(FileDefaultsStore(file, disk).all().empty());
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
  const FileDefaultsStore store(folder / "defaults.plist", disk);
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

TEST(FileDefaultsStore, ConcurrentWritersKeepEachOthersChanges) {
  testing::TemporaryFolder folder;
  const fs::path file = folder / "quillo" / "defaults.plist";
  FileDefaultsStore(file, disk).set("before", "kept");
  constexpr int kWriters = 12;
  std::vector<pid_t> children;
  for (int writer = 0; writer < kWriters; ++writer) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Each process reads the file before any of them writes, as an app started earlier would.
      platform::posix::PosixFileSystem files;
      FileDefaultsStore store(file, files);
      UsageStore usage(store);
      store.set("writer." + std::to_string(writer), writer);
      usage.record("action.Sleep", true);
      _exit(0);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  FileDefaultsStore reopened(file, disk);
  for (int writer = 0; writer < kWriters; ++writer)
    EXPECT_EQ(reopened.value("writer." + std::to_string(writer)), DefaultsValue(writer)) << writer;
  EXPECT_EQ(*reopened.value("before")->string(), "kept");
  EXPECT_EQ(UsageStore(reopened).counts().at("action.Sleep"), kWriters);
}

TEST(FileDefaultsStore, ARunningStoreKeepsTheValuesItLoaded) {
  testing::TemporaryFolder folder;
  const fs::path file = folder / "defaults.plist";
  FileDefaultsStore running(file, disk);
  FileDefaultsStore(file, disk).set("other", "from another process");
  running.set("mine", true);
  EXPECT_EQ(running.value("other"), std::nullopt);
  EXPECT_EQ(*FileDefaultsStore(file, disk).value("other")->string(), "from another process");
}

TEST(FileDefaultsStore, CreatesItsFoldersPrivateWhateverTheUmask) {
  testing::TemporaryFolder folder;
  const fs::path file = folder / "config" / "quillo" / "defaults.plist";
  const mode_t previous = umask(0);
  FileDefaultsStore(file, disk).set("learnFromUsage", false);
  umask(previous);
  for (const fs::path& made : {file.parent_path(), file.parent_path().parent_path()}) {
    struct stat status {};
    ASSERT_EQ(stat(made.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u) << made;
  }
}

TEST(FileDefaultsStore, AnUnreadableFileIsAnErrorNotAnEmptyStore) {
  testing::FakeFileSystem files;
  const fs::path file = "/config/quillo/defaults.plist";
  files.files[file] = "stored settings";
  files.unreadable.insert(file);
  EXPECT_THROW(FileDefaultsStore(file, files), DefaultsError);
  EXPECT_EQ(files.files.at(file), "stored settings");
}

TEST(FileDefaultsStore, RunsOnDefaultsWithoutWritingUntilTheFileCanBeRead) {
  testing::FakeFileSystem files;
  const fs::path file = "/config/quillo/defaults.plist";
  FileDefaultsStore(file, files).set("kept", "old");
  files.unreadable.insert(file);
  FileDefaultsStore store(file, files, {.whenUnreadable = FileDefaultsStore::WhenUnreadable::runOnDefaults});
  ASSERT_TRUE(store.readFailure().has_value());
  EXPECT_NE(store.readFailure()->find("cannot read its preferences"), std::string::npos)
      << *store.readFailure();
  EXPECT_TRUE(store.all().empty());
  const int writes = files.replaceCount;
  EXPECT_THROW(store.set("new", 1), DefaultsError);
  EXPECT_EQ(files.replaceCount, writes);

  files.unreadable.clear();
  store.set("new", 1);
  EXPECT_FALSE(store.readFailure().has_value());
  const FileDefaultsStore reopened(file, files);
  EXPECT_EQ(*reopened.value("kept")->string(), "old");
  EXPECT_EQ(reopened.value("new"), DefaultsValue(1));
}

TEST(FileDefaultsStore, TwoDamagedFilesInOneSecondKeepBothCopies) {
  testing::TemporaryFolder folder;
  const fs::path file = folder / "defaults.plist";
  const QuietLog quiet;
  testing::writeFile(file, "first damaged file");
  { const FileDefaultsStore first(file, disk); }
  testing::writeFile(file, "second damaged file");
  { const FileDefaultsStore second(file, disk); }
  std::vector<std::string> kept;
  for (const fs::path& entry : entries(folder.path()))
    kept.push_back(slurp(entry));
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(kept, (std::vector<std::string>{"first damaged file", "second damaged file"}));
}

// A binary property list (bplist00) whose one dictionary key holds a NUL: "a\0b" = "v".
std::string binaryWithNulKey() {
  std::string bytes = "bplist00";
  bytes += std::string("\xD1\x01\x02", 3);  // object 0: a dictionary of key 1 and value 2
  bytes += std::string(
      "\x53"
      "a\0b",
      4);  // object 1: the ASCII key "a\0b"
  bytes += std::string(
      "\x51"
      "v",
      2);                                         // object 2: the string "v"
  bytes += std::string("\x08\x0B\x0F", 3);        // offsets of the three objects
  bytes += std::string(6, '\0');                  // trailer: unused, sort version
  bytes += std::string("\x01\x01", 2);            // offset size, reference size
  bytes += std::string("\0\0\0\0\0\0\0\x03", 8);  // three objects
  bytes += std::string(8, '\0');                  // the root is object 0
  bytes += std::string("\0\0\0\0\0\0\0\x11", 8);  // the offset table starts at byte 17
  return bytes;
}

TEST(FileDefaultsStore, AKeyHoldingANulNeverEndsTheProcess) {
  testing::TemporaryFolder folder;
  const fs::path file = folder / "defaults.plist";
  testing::writeFile(file, binaryWithNulKey());
  const FileDefaultsStore store(file, disk);
  // The key reads as far as its NUL, as every writer of the library keeps it.
  EXPECT_EQ(store.all(), (DefaultsValue::Dictionary{{"a", "v"}}));
}

TEST(FileDefaultsStore, NestingDeeperThanTheLimitIsSetAside) {
  testing::TemporaryFolder folder;
  const fs::path file = folder / "defaults.plist";
  constexpr int kLevels = 15000;
  std::string xml = R"(<?xml version="1.0"?><plist version="1.0"><dict><key>deep</key>)";
  for (int level = 0; level < kLevels; ++level)
    xml += "<array>";
  for (int level = 0; level < kLevels; ++level)
    xml += "</array>";
  xml += "</dict></plist>";
  testing::writeFile(file, xml);
  std::vector<std::string> warnings;
  base::log::setSink(
      [&](base::log::Level, std::string_view, std::string_view message) { warnings.emplace_back(message); });
  const FileDefaultsStore store(file, disk);
  base::log::resetSink();
  EXPECT_TRUE(store.all().empty());
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("nested deeper than 64 levels"), std::string::npos) << warnings[0];
  EXPECT_FALSE(fs::exists(file));
}

TEST(FileDefaultsStore, TextThatIsNotValidUtf8OrHoldsANulIsRefusedBeforeWriting) {
  testing::FakeFileSystem files;
  FileDefaultsStore store("/config/defaults.plist", files);
  EXPECT_THROW(store.set("custom.key", std::string("before\0after", 12)), UnstorableValue);
  EXPECT_THROW(store.set("folders", DefaultsValue::Array{"/home/ana/caf\xE9"}), UnstorableValue);
  EXPECT_THROW(store.set("caf\xE9", true), UnstorableValue);
  EXPECT_THROW(store.set("table", DefaultsValue::Dictionary{{std::string("a\0b", 3), 1}}), UnstorableValue);
  EXPECT_EQ(files.replaceCount, 0);
  EXPECT_TRUE(store.all().empty());
}

TEST(FileDefaultsStore, AValueTheFileCannotHoldExactlyIsRefused) {
  testing::FakeFileSystem files;
  FileDefaultsStore store("/config/defaults.plist", files);
  // Property-list dates count whole seconds in 32 bits from 2001.
  EXPECT_THROW(store.set("when", base::Date{1e12}), UnstorableValue);
  EXPECT_EQ(files.replaceCount, 0);
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
