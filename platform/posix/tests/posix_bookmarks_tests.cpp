#include <gtest/gtest.h>

#include <filesystem>

#include "quillo/platform/posix/posix_bookmarks.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::platform::posix {
namespace {

namespace fs = std::filesystem;

class PosixBookmarksTest : public ::testing::Test {
 protected:
  // Makes the folder `name` and a bookmark to it.
  std::vector<std::uint8_t> bookmark(const char* name) {
    fs::create_directories(tmp_ / name);
    return bookmarks_.create((tmp_ / name).string());
  }
  testing::TemporaryFolder tmp_;
  PosixBookmarks bookmarks_;
};

TEST_F(PosixBookmarksTest, ResolvesTheSameFolderAsFresh) {
  const ResolvedBookmark resolved = bookmarks_.resolve(bookmark("Reports"));
  EXPECT_EQ(resolved.path, (tmp_ / "Reports").string());
  EXPECT_FALSE(resolved.isStale);
  EXPECT_FALSE(bookmarks_.startAccessing(resolved.path));
}

TEST_F(PosixBookmarksTest, AnotherFolderAtThePathIsStale) {
  const auto bytes = bookmark("Reports");
  // The old folder stays on disk so that the new one cannot reuse its inode.
  fs::rename(tmp_ / "Reports", tmp_ / "Reports old");
  fs::create_directories(tmp_ / "Reports");
  const ResolvedBookmark resolved = bookmarks_.resolve(bytes);
  EXPECT_EQ(resolved.path, (tmp_ / "Reports").string());
  EXPECT_TRUE(resolved.isStale);
  EXPECT_FALSE(bookmarks_.resolve(bookmarks_.create(resolved.path)).isStale);
}

TEST_F(PosixBookmarksTest, RefusesDamagedBytesAndMissingFolders) {
  const auto bytes = bookmark("Gone");
  fs::remove(tmp_ / "Gone");
  EXPECT_THROW(bookmarks_.resolve(bytes), BookmarkError);
  EXPECT_THROW(bookmarks_.resolve({}), BookmarkError);
  EXPECT_THROW(bookmarks_.resolve(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 20)),
               BookmarkError);
  EXPECT_THROW(bookmarks_.create("relative/path"), BookmarkError);
  EXPECT_THROW(bookmarks_.create((tmp_ / "missing").string()), BookmarkError);
}

}  // namespace
}  // namespace quillo::platform::posix
