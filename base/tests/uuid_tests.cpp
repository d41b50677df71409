#include <gtest/gtest.h>

#include <set>

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

TEST(Uuid, RandomIsVersionFourAndFresh) {
  std::set<std::string> seen;
  for (int index = 0; index < 100; ++index) {
    const std::string text = Uuid::random().text();
    EXPECT_EQ(text[14], '4');
    EXPECT_NE(std::string("89AB").find(text[19]), std::string::npos);
    EXPECT_EQ(Uuid::parse(text)->text(), text);
    seen.insert(text);
  }
  EXPECT_EQ(seen.size(), 100u);
}

}  // namespace
}  // namespace quillo::base
