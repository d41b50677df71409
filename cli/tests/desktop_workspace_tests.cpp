#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "cli_runner.h"
#include "quillo/platform/posix/posix_system.h"
#include "system_index.h"

namespace quillo::cli {
namespace {

namespace fs = std::filesystem;
using quillo::testing::TemporaryFolder;
using quillo::testing::writeFile;

TEST(DesktopWorkspace, OpensAnEntryFromTheFoldersTheIndexReads) {
  TemporaryFolder entries;
  TemporaryFolder output;
  const fs::path marker = output / "marker";
  writeFile(entries / "org.example.Marker.desktop",
            "[Desktop Entry]\nType=Application\nName=Marker\nExec=/bin/sh -c \"echo opened > '" +
                marker.string() + ".part' && mv '" + marker.string() + ".part' '" + marker.string() +
                "'\"\n");
  Arguments arguments;
  arguments.desktopEntries = {entries.path().string()};
  const platform::posix::PosixSystem system;
  desktopWorkspace(arguments, system)->openApplication("org.example.Marker");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!fs::exists(marker) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(testing::slurp(marker), "opened\n");
}

}  // namespace
}  // namespace quillo::cli
