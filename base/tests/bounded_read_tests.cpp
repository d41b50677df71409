#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "quillo/base/bounded_read.h"

namespace quillo::base {
namespace {

TEST(BoundedRead, ReadsAStreamUpToAndIncludingTheLimit) {
  std::istringstream exact(std::string(100, 'x'));
  EXPECT_EQ(readAtMost(exact, 100), std::string(100, 'x'));
  std::istringstream empty("");
  EXPECT_EQ(readAtMost(empty, 0), "");
}

TEST(BoundedRead, RefusesAStreamOneByteOverTheLimit) {
  std::istringstream over(std::string(101, 'x'));
  EXPECT_EQ(readAtMost(over, 100), std::nullopt);
}

TEST(BoundedRead, StopsOnASourceThatNeverEnds) {
  std::ifstream zeros("/dev/zero", std::ios::binary);
  ASSERT_TRUE(zeros.is_open());
  EXPECT_EQ(readAtMost(zeros, 1 << 20), std::nullopt);
}

}  // namespace
}  // namespace quillo::base
