#include <gtest/gtest.h>

#include <array>

#include "quillo/base/program_files.h"

namespace quillo::base {
namespace {

TEST(ProgramFiles, PathsAreTakenFromTheExecutablesFolderInOrder) {
  constexpr std::array<std::string_view, 3> kFolders{".", "../lib/quillo", "../lib"};
  EXPECT_EQ(pathsBeside("/usr/bin/quillo", "libfff_c.so", kFolders),
            (std::vector<std::filesystem::path>{"/usr/bin/libfff_c.so", "/usr/lib/quillo/libfff_c.so",
                                                "/usr/lib/libfff_c.so"}));
}

TEST(ProgramFiles, TheRunningExecutableIsFound) {
  const auto path = executablePath();
  ASSERT_TRUE(path);
  EXPECT_EQ(path->filename(), "quillo-base-tests");
  constexpr std::array<std::string_view, 1> kBeside{"."};
  EXPECT_EQ(pathsBesideExecutable("quillo-base-tests", kBeside), std::vector{*path});
}

}  // namespace
}  // namespace quillo::base
