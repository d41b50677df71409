#include <gtest/gtest.h>

#include "quillo/base/collator.h"

namespace quillo::base {
namespace {

TEST(CaseInsensitiveCollator, IgnoresCaseButNotAccents) {
  const CaseInsensitiveCollator collator("en_US");
  EXPECT_EQ(collator.compare("safari", "Safari"), 0);
  EXPECT_LT(collator.compare("apple", "Banana"), 0);
  EXPECT_LT(collator.compare("Zebra", "zulu"), 0);
  EXPECT_NE(collator.compare("resume", "résumé"), 0);
}

TEST(CaseInsensitiveCollator, FollowsTheLocaleOrFallsBackToRoot) {
  // Swedish sorts "ö" after "z"; German sorts it with "o".
  EXPECT_GT(CaseInsensitiveCollator("sv_SE.UTF-8").compare("öl", "zoo"), 0);
  EXPECT_LT(CaseInsensitiveCollator("de_DE.UTF-8").compare("öl", "zoo"), 0);
  EXPECT_LT(CaseInsensitiveCollator("xx_NOWHERE").compare("a", "B"), 0);
}

}  // namespace
}  // namespace quillo::base
