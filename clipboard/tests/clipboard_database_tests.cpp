#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "quillo/clipboard/clipboard_database.h"
#include "quillo/clipboard/clipboard_error.h"
#include "quillo/testing/temporary_folder.h"
#include "raw_database.h"

namespace quillo::clipboard {
namespace {

using testing::RawDatabase;
namespace fs = std::filesystem;

constexpr const char* kId1 = "E621E1F8-C36C-495A-93FC-0C247A3E6E5F";
constexpr const char* kId2 = "0B7A8C3E-1111-4222-8333-944455556666";

std::string contents(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

unsigned modeOf(const fs::path& path) {
  struct stat status {};
  ::stat(path.c_str(), &status);
  return status.st_mode & 0777;
}

void expectStorageError(const fs::path& file) {
  try {
    ClipboardDatabase database(file);
    FAIL() << "opened " << file;
  } catch (const ClipboardError& error) {
    EXPECT_EQ(error.code(), ClipboardError::Code::storage);
  }
}

// A version 1 file with one pinned and one unpinned row.
void writeVersion1(const fs::path& file, int version = 1) {
  RawDatabase raw(file);
  raw.exec(testing::kVersion1Table);
  raw.exec(std::string("INSERT INTO entries VALUES('") + kId1 +
           "','f1','Pinned','pinned text','text','com.app','App',1000.5,1,10,x'00',x'')");
  raw.exec(std::string("INSERT INTO entries VALUES('") + kId2 +
           "','f2','Loose','loose text','link','','',2000,0,20,x'00',x'')");
  raw.exec("PRAGMA user_version = " + std::to_string(version));
}

TEST(ClipboardDatabase, NewFileIsPrivateAtTheCurrentVersionWithFifteenColumns) {
  quillo::testing::TemporaryFolder folder;
  const fs::path file = folder / "Quillo" / "Clipboard" / "history.sqlite";
  ClipboardDatabase database(file);
  EXPECT_EQ(modeOf(file), 0600u);
  EXPECT_EQ(modeOf(file.parent_path()), 0700u);
  EXPECT_EQ(modeOf(file.parent_path().parent_path()), 0700u);

  RawDatabase raw(file);
  EXPECT_EQ(raw.single("PRAGMA user_version"), "4");
  std::vector<std::string> columns;
  for (const auto& row : raw.rows("PRAGMA table_info(entries)"))
    columns.push_back(row[1]);
  EXPECT_EQ(columns, (std::vector<std::string>{"id", "fingerprint", "title", "text", "kind", "app_id",
                                               "app_name", "copied_at", "pinned", "bytes", "payload",
                                               "thumbnail", "tags", "pinned_at", "image_text"}));

  // Fifteen values in that order, an empty thumbnail among them, are accepted.
  database.execute(
      "INSERT INTO entries VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
      {std::string(kId1), std::string("f"), std::string("t"), std::string("x"), std::string("text"),
       std::string(""), std::string(""), 1.5, std::int64_t{0}, std::int64_t{3}, Bytes{1, 2}, Bytes{},
       std::string("[]"), ClipboardDatabase::Null{}, ClipboardDatabase::Null{}});
  EXPECT_EQ(raw.single("SELECT typeof(thumbnail) || length(thumbnail) FROM entries"), "blob0");
  EXPECT_EQ(database.thumbnail(*base::Uuid::parse(kId1)), Bytes{});
  EXPECT_EQ(database.payload(*base::Uuid::parse(kId1)), (Bytes{1, 2}));
  EXPECT_EQ(database.payload(*base::Uuid::parse(kId2)), std::nullopt);

  // A folder that already exists keeps its permissions.
  fs::permissions(folder.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
  ClipboardDatabase other(folder / "other.sqlite");
  EXPECT_EQ(modeOf(folder.path()), 0750u);
}

TEST(ClipboardDatabase, VersionOneGainsEveryLaterColumn) {
  quillo::testing::TemporaryFolder folder;
  const fs::path file = folder / "history.sqlite";
  writeVersion1(file);
  ClipboardDatabase database(file);
  RawDatabase raw(file);
  EXPECT_EQ(raw.single("PRAGMA user_version"), "4");
  EXPECT_EQ(
      raw.rows("SELECT id, tags, pinned_at, image_text FROM entries ORDER BY copied_at"),
      (std::vector<std::vector<std::string>>{{kId1, "[]", "1000.5", "NULL"}, {kId2, "[]", "NULL", "NULL"}}));

  const auto loaded = database.loadEntries();
  ASSERT_EQ(loaded.size(), 2u);
  const auto& pinned = loaded[0].entry.isPinned ? loaded[0] : loaded[1];
  EXPECT_EQ(pinned.fingerprint, "f1");
  EXPECT_EQ(pinned.entry.pinnedAt, base::Date{1000.5});
  EXPECT_EQ(pinned.entry.sourceAppName, "App");
}

TEST(ClipboardDatabase, VersionThreeGainsOnlyImageText) {
  quillo::testing::TemporaryFolder folder;
  const fs::path file = folder / "history.sqlite";
  {
    writeVersion1(file, 3);
    RawDatabase raw(file);
    raw.exec("ALTER TABLE entries ADD COLUMN tags TEXT NOT NULL DEFAULT '[]'");
    raw.exec("ALTER TABLE entries ADD COLUMN pinned_at REAL");
    // A version 3 file whose pin date differs from the copy date keeps it.
    raw.exec(
        std::string(
            "UPDATE entries SET pinned_at=1500, tags='[{\"key\":\"app\",\"value\":\"App\"}]' WHERE id='") +
        kId1 + "'");
  }
  ClipboardDatabase database(file);
  RawDatabase raw(file);
  EXPECT_EQ(raw.single("PRAGMA user_version"), "4");
  EXPECT_EQ(raw.rows("SELECT pinned_at, image_text FROM entries ORDER BY copied_at"),
            (std::vector<std::vector<std::string>>{{"1500.0", "NULL"}, {"NULL", "NULL"}}));
  const auto loaded = database.loadEntries();
  const auto& pinned = loaded[0].entry.isPinned ? loaded[0] : loaded[1];
  EXPECT_EQ(pinned.entry.tags, (std::vector<ClipboardTag>{{ClipboardTag::Key::app, "App"}}));
}

TEST(ClipboardDatabase, NewerFileIsRefusedAndLeftUntouched) {
  quillo::testing::TemporaryFolder folder;
  const fs::path file = folder / "history.sqlite";
  {
    RawDatabase raw(file);
    raw.exec("CREATE TABLE entries (id TEXT PRIMARY KEY, future BLOB)");
    raw.exec("PRAGMA journal_mode = WAL");
    raw.exec("PRAGMA user_version = 5");
  }
  const std::string before = contents(file);
  expectStorageError(file);
  EXPECT_EQ(contents(file), before);
}

TEST(ClipboardDatabase, FailedMigrationStaysAtThePreviousVersion) {
  quillo::testing::TemporaryFolder folder;
  const fs::path file = folder / "history.sqlite";
  writeVersion1(file);
  {
    // A column that the last step adds already exists: that step fails after the first two ran.
    RawDatabase raw(file);
    raw.exec("ALTER TABLE entries ADD COLUMN image_text TEXT");
  }
  expectStorageError(file);
  RawDatabase raw(file);
  EXPECT_EQ(raw.single("PRAGMA user_version"), "1");
  std::vector<std::string> columns;
  for (const auto& row : raw.rows("PRAGMA table_info(entries)"))
    columns.push_back(row[1]);
  EXPECT_EQ(columns.size(), 13u);
  EXPECT_EQ(columns.back(), "image_text");
}

TEST(ClipboardDatabase, RowsMapTolerantlyButBadIdsAndKindsFailTheLoad) {
  quillo::testing::TemporaryFolder folder;
  const fs::path file = folder / "history.sqlite";
  ClipboardDatabase database(file);
  RawDatabase raw(file);
  raw.exec(std::string("INSERT INTO entries VALUES('") + kId1 +
           "','f1',CAST(x'4f6bff' AS TEXT),'t','image','','',5,0,1,x'00',x'','not json',NULL,'seen')");
  auto loaded = database.loadEntries();
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_EQ(loaded[0].entry.title, "Ok\xEF\xBF\xBD");
  EXPECT_TRUE(loaded[0].entry.tags.empty());
  EXPECT_EQ(loaded[0].entry.imageText, "seen");
  EXPECT_EQ(loaded[0].entry.kind, ClipboardKind::image);

  raw.exec(
      "INSERT INTO entries VALUES('not-a-uuid','f2','t','t','text','','',5,0,1,x'00',x'','[]',NULL,NULL)");
  EXPECT_THROW(database.loadEntries(), ClipboardError);
  raw.exec("UPDATE entries SET id='" + std::string(kId2) + "', kind='video' WHERE fingerprint='f2'");
  EXPECT_THROW(database.loadEntries(), ClipboardError);
  raw.exec("UPDATE entries SET kind='file' WHERE fingerprint='f2'");
  EXPECT_EQ(database.loadEntries().size(), 2u);
}

TEST(ClipboardDatabase, StatementFailuresAreStorageErrors) {
  quillo::testing::TemporaryFolder folder;
  ClipboardDatabase database(folder / "history.sqlite");
  EXPECT_THROW(database.execute("SELECT nonsense FROM nowhere"), ClipboardError);
  EXPECT_THROW(database.execute("SELECT ?", {std::int64_t{1}, std::int64_t{2}}), ClipboardError);
  EXPECT_THROW(database.execute("INSERT INTO entries(id) VALUES(?)", {ClipboardDatabase::Null{}}),
               ClipboardError);
  // A folder where the file should be cannot be opened as a database.
  fs::create_directories(folder / "taken.sqlite");
  expectStorageError(folder / "taken.sqlite");
}

}  // namespace
}  // namespace quillo::clipboard
