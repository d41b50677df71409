#include <gtest/gtest.h>

#include "quillo/base/uuid.h"

namespace quillo::base {
namespace {

TEST(Uuid, ParsesEitherCaseAndPrintsUpperCase) {
  const auto uuid = Uuid::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
  ASSERT_TRUE(uuid);
  EXPECT_EQ(uuid->text(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
  EXPECT_EQ(Uuid::parse(uuid->text()), uuid);
}

TEST(Uuid, RejectsMalformedText) {
  EXPECT_FALSE(Uuid::parse(""));
  EXPECT_FALSE(Uuid::parse("E621E1F8C36C495A93FC0C247A3E6E5F0000"));  // no dashes
  EXPECT_FALSE(Uuid::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5G"));  // not hex
  EXPECT_FALSE(Uuid::parse("E621E1F8-C36C-495A-93FC+0C247A3E6E5F"));
  EXPECT_FALSE(Uuid::parse("+621E1F8-C36C-495A-93FC-0C247A3E6E5F"));
}

TEST(Uuid, RandomIdsAreVersionFourAndDistinct) {
  const Uuid a = Uuid::random();
  const Uuid b = Uuid::random();
  EXPECT_NE(a, b);
  EXPECT_EQ(a.text()[14], '4');
  EXPECT_NE(std::string("89AB").find(a.text()[19]), std::string::npos);
}

}  // namespace
}  // namespace quillo::base
