#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "mount_points.h"
#include "temp_tree.h"

namespace fff::testing {
namespace {

using ::testing::ElementsAre;

TEST(MountPoints, OnlyThoseStrictlyBelowTheRootWithTheirEscapesUndone) {
  const std::string table =
      "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
      "40 27 0:40 / /home/ann rw - ext4 /dev/vdb rw\n"
      "41 40 0:41 / /home/ann/My\\040Drive rw - fuse.drive drive rw\n"
      "42 40 0:42 / /home/ann/back\\134slash rw - autofs systemd-1 rw\n"
      "43 27 0:43 / /home/anna rw - ext4 /dev/vdc rw\n";
  EXPECT_THAT(mountPointsBelow(table, "/home/ann"),
              ElementsAre("/home/ann/My Drive", "/home/ann/back\\slash"));
  EXPECT_EQ(mountPointsBelow(table, "/").size(), 4u);
}

// Read by name before being opened, a mount point of another file system is recorded as a
// folder and not entered (opening it would also mount it, were it an automount point).
TEST(MountPoints, AFolderOfAnotherFileSystemIsRecordedButNotEntered) {
  const std::vector<std::string> points = mountPointsBelow(readMountTable(), "/dev");
  const auto point = std::find_if(points.begin(), points.end(), [](const std::string& path) {
    return path.find('/', 5) == std::string::npos;
  });
  if (point == points.end()) GTEST_SKIP() << "this machine mounts nothing directly below /dev";
  const std::string name = point->substr(5);
  Instance instance("/dev", false);
  ASSERT_TRUE(instance.waitForScan());
  const std::vector<std::string> paths = instance.globPaths("**", 0, UINT32_MAX);
  EXPECT_NE(std::find(paths.begin(), paths.end(), name), paths.end());
  EXPECT_EQ(std::count_if(paths.begin(), paths.end(),
                          [&](const std::string& path) { return path.starts_with(name + "/"); }),
            0);
}

}  // namespace
}  // namespace fff::testing
