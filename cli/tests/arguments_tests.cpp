#include <gtest/gtest.h>

#include "arguments.h"

namespace quillo::cli {
namespace {

Arguments parse(std::vector<std::string> words,
                ArgumentSpec spec = {.takesLimit = true, .takesApplications = true}) {
  return parseArguments(words, spec);
}

TEST(Arguments, QueryWordsAreJoinedAroundOptions) {
  const Arguments arguments = parse({"keep", "--json", "awake", "--limit", "3"});
  EXPECT_EQ(arguments.query, "keep awake");
  EXPECT_TRUE(arguments.json);
  EXPECT_EQ(arguments.limit, 3u);
  EXPECT_EQ(parse({"--limit=12", "x"}).limit, 12u);
}

TEST(Arguments, DoubleDashEndsOptions) {
  EXPECT_EQ(parse({"--", "--json", "-x"}).query, "--json -x");
  EXPECT_FALSE(parse({"--", "--json"}).json);
  EXPECT_EQ(parse({"-"}).query, "-");
}

TEST(Arguments, ApplicationsRepeat) {
  EXPECT_EQ(parse({"--applications", "/a", "--applications=/b", "q"}).applications,
            (std::vector<std::string>{"/a", "/b"}));
}

TEST(Arguments, BadCommandLinesAreUsageErrors) {
  EXPECT_THROW(parse({"--limit"}), UsageError);
  EXPECT_THROW(parse({"--limit", "0"}), UsageError);
  EXPECT_THROW(parse({"--limit", "-2"}), UsageError);
  EXPECT_THROW(parse({"--limit", "5x"}), UsageError);
  EXPECT_THROW(parse({"--colour"}), UsageError);
  EXPECT_THROW(parse({"--applications="}), UsageError);
  // An option the subcommand does not take is unknown to it.
  EXPECT_THROW(parse({"--applications", "/a"}, {.takesLimit = true}), UsageError);
  try {
    parse({"--limit", "many"});
  } catch (const UsageError& error) {
    EXPECT_STREQ(error.what(), "--limit takes a whole number of at least 1, not 'many'");
  }
}

}  // namespace
}  // namespace quillo::cli
