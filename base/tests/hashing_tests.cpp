#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "quillo/base/hashing.h"

namespace quillo::base {
namespace {

// Values built differently must not hash alike just because their parts do.
TEST(Hasher, StructureCountsAsWellAsContents) {
  EXPECT_NE(Hasher().addAll(std::string("a"), std::string("b")).value(),
            Hasher().addAll(std::string("b"), std::string("a")).value());
  // The variant's case counts even with equal payloads.
  using Either = std::variant<int, long>;
  EXPECT_NE(hashOf(Either(std::in_place_index<0>, 1)), hashOf(Either(std::in_place_index<1>, 1L)));
  EXPECT_NE(hashOf(std::optional<std::string>()), hashOf(std::optional<std::string>("")));
  // Without the element count, ["ab"],[""] and ["a"],["b"] style splits could collide.
  const std::vector<std::vector<int>> a{{1, 2}, {}};
  const std::vector<std::vector<int>> b{{1}, {2}};
  EXPECT_NE(hashOf(a), hashOf(b));
}

}  // namespace
}  // namespace quillo::base
