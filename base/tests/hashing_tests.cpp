#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "quillo/base/hashing.h"

namespace quillo::base {
namespace {

TEST(Hasher, IsOrderSensitive) {
  EXPECT_NE(Hasher().addAll(std::string("a"), std::string("b")).value(),
            Hasher().addAll(std::string("b"), std::string("a")).value());
}

TEST(Hasher, VariantCaseCountsEvenWithEqualPayloads) {
  using Either = std::variant<int, long>;
  EXPECT_NE(hashOf(Either(std::in_place_index<0>, 1)), hashOf(Either(std::in_place_index<1>, 1L)));
}

TEST(Hasher, AbsentOptionalDiffersFromPresentDefault) {
  EXPECT_NE(hashOf(std::optional<std::string>()), hashOf(std::optional<std::string>("")));
}

TEST(Hasher, RangesHashTheirBoundaries) {
  // Without the element count, ["ab"],[""] and ["a"],["b"] style splits could collide.
  const std::vector<std::vector<int>> a{{1, 2}, {}};
  const std::vector<std::vector<int>> b{{1}, {2}};
  EXPECT_NE(hashOf(a), hashOf(b));
}

}  // namespace
}  // namespace quillo::base
