#include <gtest/gtest.h>

#include <filesystem>

#include "quillo/platform/posix/posix_bookmarks.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::platform::posix {
namespace {

namespace fs = std::filesystem;

TEST(PosixBookmarks, ResolvesTheSameFolderAsFresh) {
  testing::TemporaryFolder tmp;
  fs::create_directories(tmp / "Reports");
  PosixBookmarks bookmarks;
  const auto bytes = bookmarks.create((tmp / "Reports").string());
  const ResolvedBookmark resolved = bookmarks.resolve(bytes);
  EXPECT_EQ(resolved.path, (tmp / "Reports").string());
  EXPECT_FALSE(resolved.isStale);
  EXPECT_FALSE(bookmarks.startAccessing(resolved.path));
}

TEST(PosixBookmarks, AnotherFolderAtThePathIsStale) {
  testing::TemporaryFolder tmp;
  fs::create_directories(tmp / "Reports");
  PosixBookmarks bookmarks;
  const auto bytes = bookmarks.create((tmp / "Reports").string());
  // The old folder stays on disk so that the new one cannot reuse its inode.
  fs::rename(tmp / "Reports", tmp / "Reports old");
  fs::create_directories(tmp / "Reports");
  const ResolvedBookmark resolved = bookmarks.resolve(bytes);
  EXPECT_EQ(resolved.path, (tmp / "Reports").string());
  EXPECT_TRUE(resolved.isStale);
  EXPECT_FALSE(bookmarks.resolve(bookmarks.create(resolved.path)).isStale);
}

TEST(PosixBookmarks, RefusesDamagedBytesAndMissingFolders) {
  testing::TemporaryFolder tmp;
  fs::create_directories(tmp / "Gone");
  PosixBookmarks bookmarks;
  const auto bytes = bookmarks.create((tmp / "Gone").string());
  fs::remove(tmp / "Gone");
  EXPECT_THROW(bookmarks.resolve(bytes), BookmarkError);
  EXPECT_THROW(bookmarks.resolve({}), BookmarkError);
  EXPECT_THROW(bookmarks.resolve(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 20)),
               BookmarkError);
  EXPECT_THROW(bookmarks.create("relative/path"), BookmarkError);
  EXPECT_THROW(bookmarks.create((tmp / "missing").string()), BookmarkError);
}

}  // namespace
}  // namespace quillo::platform::posix
