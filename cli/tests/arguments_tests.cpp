#include <gtest/gtest.h>

#include "arguments.h"

namespace quillo::cli {
namespace {

Arguments parse(std::vector<std::string> words,
                ArgumentSpec spec = {.takesLimit = true, .takesApplications = true}) {
  return parseArguments(words, spec);
}

TEST(Arguments, QueryWordsAreJoinedAroundOptionsUntilADoubleDash) {
  const Arguments arguments = parse({"keep", "--json", "awake", "--limit", "3"});
  EXPECT_EQ(arguments.query, "keep awake");
  EXPECT_TRUE(arguments.json);
  EXPECT_EQ(arguments.limit, 3u);
  EXPECT_EQ(parse({"--limit=12", "x"}).limit, 12u);
  EXPECT_EQ(parse({"--applications", "/a", "--applications=/b", "q"}).applications,
            (std::vector<std::string>{"/a", "/b"}));

  EXPECT_EQ(parse({"--", "--json", "-x"}).query, "--json -x");
  EXPECT_FALSE(parse({"--", "--json"}).json);
  EXPECT_EQ(parse({"-"}).query, "-");
}

TEST(Arguments, BadCommandLinesAreUsageErrors) {
  for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{{"--limit"},
                                                                                     {"--limit", "0"},
                                                                                     {"--limit", "-2"},
                                                                                     {"--limit", "5x"},
                                                                                     {"--colour"},
                                                                                     {"--applications="}})
    EXPECT_THROW(parse(words), UsageError) << words[0];
  // An option the subcommand does not take is unknown to it.
  EXPECT_THROW(parse({"--applications", "/a"}, {.takesLimit = true}), UsageError);
  try {
    parse({"--limit", "many"});
    ADD_FAILURE() << "no UsageError";
  } catch (const UsageError& error) {
    EXPECT_STREQ(error.what(), "--limit takes a whole number of at least 1, not 'many'");
  }
}

}  // namespace
}  // namespace quillo::cli
