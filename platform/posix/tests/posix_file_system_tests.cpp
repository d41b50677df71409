#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "quillo/platform/posix/posix_file_system.h"
#include "quillo/testing/temporary_folder.h"

namespace quillo::platform::posix {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(PosixFileSystem, ACrashBeforeTheRenameLeavesTheOldFile) {
  testing::TemporaryFolder folder;
  const fs::path file = folder / "defaults.plist";
  PosixFileSystem().replaceFile(file, "old");

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The new file is complete and flushed; the process dies before it replaces the old one.
    PosixFileSystem({.beforeReplace = [] { _exit(0); }}).replaceFile(file, "new");
    _exit(1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0) << "the child should have stopped before the rename";
  EXPECT_EQ(slurp(file), "old");
}

TEST(PosixFileSystem, AFailedReplaceLeavesNothingBehind) {
  testing::TemporaryFolder folder;
  PosixFileSystem files({.beforeReplace = [] { throw FileSystemError("stopped"); }});
  EXPECT_THROW(files.replaceFile(folder / "a", "bytes"), FileSystemError);
  EXPECT_TRUE(fs::is_empty(folder.path()));
}

TEST(PosixFileSystem, ReadingTellsMissingFromUnreadable) {
  testing::TemporaryFolder folder;
  const PosixFileSystem files;
  EXPECT_EQ(files.readFile(folder / "missing", 100), std::nullopt);
  fs::create_directory(folder / "a folder");
  EXPECT_THROW(files.readFile(folder / "a folder", 100), FileSystemError);
}

TEST(PosixFileSystem, ReadingRefusesAFileLargerThanTheLimit) {
  testing::TemporaryFolder folder;
  testing::writeFile(folder / "big", std::string(101, 'x'));
  const PosixFileSystem files;
  EXPECT_EQ(files.readFile(folder / "big", 101)->size(), 101u);
  EXPECT_THROW(files.readFile(folder / "big", 100), FileSystemError);
}

TEST(PosixFileSystem, MovingNeverReplacesWhatIsThere) {
  testing::TemporaryFolder folder;
  testing::writeFile(folder / "from", "new");
  testing::writeFile(folder / "to", "kept");
  PosixFileSystem files;
  EXPECT_FALSE(files.moveWithoutReplacing(folder / "from", folder / "to"));
  EXPECT_EQ(slurp(folder / "to"), "kept");
  EXPECT_TRUE(files.moveWithoutReplacing(folder / "from", folder / "elsewhere"));
  EXPECT_EQ(slurp(folder / "elsewhere"), "new");
}

TEST(PosixFileSystem, RemovingTellsWhetherAFileWasThere) {
  testing::TemporaryFolder folder;
  testing::writeFile(folder / "entry", "x");
  fs::create_directory(folder / "a folder");
  PosixFileSystem files;
  EXPECT_TRUE(files.removeFile(folder / "entry"));
  EXPECT_FALSE(fs::exists(folder / "entry"));
  EXPECT_FALSE(files.removeFile(folder / "entry"));
  // A folder is not a file: it stays, and the caller hears why.
  EXPECT_THROW(files.removeFile(folder / "a folder"), FileSystemError);
  EXPECT_TRUE(fs::is_directory(folder / "a folder"));
}

// Shared holders do not wait for each other, and the lock reads as held until the last lets go.
TEST(PosixFileSystem, ASharedLockReadsAsHeldUntilItsLastHolderLetsGo) {
  testing::TemporaryFolder folder;
  const fs::path path = folder / "runtime/quillo/program.lock";
  PosixFileSystem files;
  EXPECT_FALSE(files.lockedElsewhere(path));
  auto first = files.lockShared(path);
  auto second = files.lockShared(path);
  EXPECT_TRUE(files.lockedElsewhere(path));
  first.reset();
  EXPECT_TRUE(files.lockedElsewhere(path));
  second.reset();
  EXPECT_FALSE(files.lockedElsewhere(path));
  // Looking took no lock of its own: an exclusive one is had at once.
  EXPECT_NE(files.lock(path), nullptr);
}

TEST(PosixFileSystem, StatusAndListingDescribeFilesAndFolders) {
  testing::TemporaryFolder folder;
  testing::writeFile(folder / "file", "12345");
  fs::create_directory(folder / "sub");
  fs::create_symlink("file", folder / "link");
  const PosixFileSystem files;
  const auto status = files.status(folder / "file");
  ASSERT_TRUE(status.has_value());
  EXPECT_EQ(status->kind, FileKind::file);
  EXPECT_EQ(status->size, 5u);
  EXPECT_TRUE(status->modified.has_value());
  EXPECT_EQ(files.status(folder / "link", false)->kind, FileKind::symlink);
  EXPECT_EQ(files.status(folder / "missing"), std::nullopt);

  auto listed = files.list(folder.path());
  std::sort(listed.begin(), listed.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  EXPECT_EQ(listed, (std::vector<DirectoryEntry>{
                        {"file", FileKind::file}, {"link", FileKind::symlink}, {"sub", FileKind::folder}}));
}

TEST(PosixFileSystem, ResolvingFollowsLinksAsFarAsThePathExists) {
  testing::TemporaryFolder folder;
  fs::create_directory(folder / "real");
  fs::create_directory_symlink(folder / "real", folder / "link");
  const PosixFileSystem files;
  const fs::path real = fs::canonical(folder / "real");
  EXPECT_EQ(files.resolved(folder / "link"), real);
  EXPECT_EQ(files.resolved(folder / "link" / "missing"), real / "missing");
}

TEST(PosixFileSystem, LoadingAMissingLibrarySaysWhy) {
  testing::TemporaryFolder folder;
  PosixFileSystem files;
  try {
    files.loadLibrary(folder / "libmissing.so");
    FAIL() << "a missing library loaded";
  } catch (const FileSystemError& error) {
    EXPECT_NE(std::string(error.what()).find("libmissing.so"), std::string::npos) << error.what();
  }
}

}  // namespace
}  // namespace quillo::platform::posix
