#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "error.h"
#include "glob.h"

namespace fff {
namespace {

// Splits a relative path into the components a Glob is matched against.
bool globMatches(const std::string& pattern, const std::string& path, bool ignoreCase = false) {
  std::vector<std::string_view> components;
  std::string_view rest = path;
  while (true) {
    const auto slash = rest.find('/');
    components.push_back(rest.substr(0, slash));
    if (slash == std::string_view::npos) break;
    rest.remove_prefix(slash + 1);
  }
  return Glob(pattern, ignoreCase).matches(components);
}

TEST(Glob, StarAndQuestionMarkStayWithinOneComponent) {
  EXPECT_TRUE(globMatches("*.c", "main.c"));
  EXPECT_FALSE(globMatches("*.c", "src/main.c"));
  EXPECT_TRUE(globMatches("src/*.c", "src/main.c"));
  EXPECT_TRUE(globMatches("src/*", "src/.hidden"));
  EXPECT_TRUE(globMatches("a*b*c", "aXXbYYc"));
  EXPECT_FALSE(globMatches("a*b*c", "aXXbYY"));
  EXPECT_TRUE(globMatches("?.txt", "a.txt"));
  EXPECT_FALSE(globMatches("?.txt", "ab.txt"));
  EXPECT_FALSE(globMatches("s?c", "s/c"));
  // A star has to back off when a later literal repeats.
  EXPECT_TRUE(globMatches("*aab", "aaaab"));
}

TEST(Glob, GlobstarMatchesAnyNumberOfComponents) {
  EXPECT_TRUE(globMatches("**/*.c", "main.c"));
  EXPECT_TRUE(globMatches("**/*.c", "a/b/c/main.c"));
  EXPECT_TRUE(globMatches("a/**/b", "a/b"));
  EXPECT_TRUE(globMatches("a/**/b", "a/x/y/b"));
  EXPECT_FALSE(globMatches("a/**/b", "a/x/y/c"));
  EXPECT_TRUE(globMatches("src/**", "src/x/y.c"));
  EXPECT_FALSE(globMatches("src/**", "lib/x"));
  EXPECT_TRUE(globMatches("**", "anything/at/all"));
  EXPECT_TRUE(globMatches("**/x/**/y", "a/x/b/c/y"));
  // "**" inside a component is an ordinary star.
  EXPECT_FALSE(globMatches("a**.c", "a/b.c"));
  EXPECT_TRUE(globMatches("a**.c", "ab.c"));
}

// Paths of 64 components and more are matched another way than shallower ones; both agree.
TEST(Glob, DeepPathsMatchAsShallowOnes) {
  for (const int depth : {3, 63, 64, 65, 100}) {
    std::string path;
    for (int k = 1; k < depth; ++k)
      path += "d/";
    path += "x.c";
    EXPECT_TRUE(globMatches("**/x.c", path)) << depth;
    EXPECT_TRUE(globMatches("d/**/d/x.c", path)) << depth;
    EXPECT_TRUE(globMatches("**/d/**", path)) << depth;
    EXPECT_FALSE(globMatches("**/e/**", path)) << depth;
    EXPECT_FALSE(globMatches("d/**/y.c", path)) << depth;
    EXPECT_FALSE(globMatches("*/x.c", path)) << depth;
  }
}

TEST(Glob, BracketClasses) {
  EXPECT_TRUE(globMatches("file[0-9].txt", "file7.txt"));
  EXPECT_FALSE(globMatches("file[0-9].txt", "fileA.txt"));
  EXPECT_TRUE(globMatches("[abc]x", "bx"));
  EXPECT_TRUE(globMatches("[!abc]x", "dx"));
  EXPECT_FALSE(globMatches("[!abc]x", "ax"));
  EXPECT_TRUE(globMatches("[^a-c]x", "zx"));
  EXPECT_TRUE(globMatches("[]]", "]"));
  EXPECT_TRUE(globMatches("[a\\]]", "]"));
  EXPECT_TRUE(globMatches("[a-]", "-"));
  EXPECT_TRUE(globMatches("[é-ë]", "ê"));
  EXPECT_TRUE(globMatches("[{]", "{"));
  EXPECT_TRUE(globMatches("[,]", ","));
}

TEST(Glob, AlternativesExpandNestedAndSkipEscapes) {
  EXPECT_EQ(expandBraces("**/*.{pdf,docx}"), (std::vector<std::string>{"**/*.pdf", "**/*.docx"}));
  EXPECT_EQ(expandBraces("{a,b{c,d}}x"), (std::vector<std::string>{"ax", "bcx", "bdx"}));
  EXPECT_EQ(expandBraces("\\{a,b\\}"), (std::vector<std::string>{"\\{a,b\\}"}));
  EXPECT_EQ(expandBraces("{a,}b"), (std::vector<std::string>{"ab", "b"}));
  EXPECT_TRUE(globMatches("**/*.{pdf,docx}", "docs/cv.docx"));
  EXPECT_FALSE(globMatches("**/*.{pdf,docx}", "docs/cv.doc"));
  EXPECT_TRUE(globMatches("{src,lib}/**/*.h", "lib/x/y.h"));
  EXPECT_TRUE(globMatches("\\{a,b\\}", "{a,b}"));
  EXPECT_THROW(expandBraces("{a,b"), Error);
  EXPECT_THROW(expandBraces("{a,b}{c,d}{e,f}{g,h}{i,j}{k,l}{m,n}{o,p}{q,r}{s,t}{u,v}{w,x}{y,z}"), Error);
}

TEST(Glob, BackslashEscapesWildcards) {
  EXPECT_TRUE(globMatches("a\\*b", "a*b"));
  EXPECT_FALSE(globMatches("a\\*b", "axb"));
  EXPECT_TRUE(globMatches("what\\?", "what?"));
  EXPECT_FALSE(globMatches("what\\?", "whats"));
  EXPECT_TRUE(globMatches("\\[x\\]", "[x]"));
  EXPECT_FALSE(globMatches("a\\/b", "a/b"));
}

TEST(Glob, CaseMattersUnlessIgnored) {
  EXPECT_FALSE(globMatches("readme.md", "README.md"));
  EXPECT_TRUE(globMatches("readme.md", "README.md", true));
  EXPECT_TRUE(globMatches("**/*.PDF", "a/b.pdf", true));
  EXPECT_TRUE(globMatches("[r]eadme", "Readme", true));
  EXPECT_TRUE(globMatches("ärger*", "ÄRGER.txt", true));
  // What the application sends for a case-insensitive name: one class per letter.
  EXPECT_TRUE(globMatches("**/[rR][eE][pP][oO][rR][tT].*", "x/Report.pdf"));
}

TEST(Glob, NamesThatAreNotUtf8MatchByteForByte) {
  EXPECT_TRUE(globMatches("*", "bad\xff"));
  EXPECT_TRUE(globMatches("bad?", "bad\xff"));
  EXPECT_TRUE(globMatches("bad\xff", "bad\xff"));
  EXPECT_FALSE(globMatches("bad\xfe", "bad\xff"));
  EXPECT_TRUE(globMatches("?", "é"));
  EXPECT_FALSE(globMatches("??", "é"));
}

// The quick screen by a name's first and last bytes never turns away a name that matches, and
// turns away names whose ends no alternative allows, either case when case is ignored.
TEST(Glob, TheNameScreenTurnsAwayOnlyNamesThatCannotMatch) {
  const std::vector<std::string> names = {"report", "Report.txt", "REP",       "xreport", "re",
                                          "",       "rep-2",      "notes.rep", "a.c",     "b.C",
                                          "_rep",   "Ärger",      "ärger"};
  for (const bool ignoreCase : {false, true}) {
    for (const char* pattern : {"**/rep", "**/rep.*", "**/rep*", "**/{rep,a}*", "**/*.c", "**/*rep*",
                                "**/\\_rep", "**/ärger", "**/[rx]ep*"}) {
      const Glob glob(pattern, ignoreCase);
      for (const std::string& name : names) {
        if (!glob.matchesName(name)) continue;
        EXPECT_FALSE(glob.rejectsName(name))
            << pattern << " " << name << (ignoreCase ? " ignoring case" : "");
      }
    }
  }
  EXPECT_TRUE(Glob("**/rep*", false).rejectsName("xreport"));
  EXPECT_TRUE(Glob("**/rep*", false).rejectsName("Report"));
  EXPECT_FALSE(Glob("**/rep*", true).rejectsName("Report"));
  EXPECT_TRUE(Glob("**/{rep,a}*", true).rejectsName("notes.rep"));
  EXPECT_TRUE(Glob("**/rep.*", true).rejectsName(""));
}

TEST(Glob, MalformedPatternsAreErrorsWithMessages) {
  for (const char* pattern : {"", "[abc", "a\\", "a//b", "{x,y", "[z-a]"}) {
    try {
      Glob glob(pattern, false);
      ADD_FAILURE() << "accepted " << pattern;
    } catch (const Error& error) {
      EXPECT_GT(std::string(error.what()).size(), 10u) << pattern;
    }
  }
}

TEST(Glob, PatternsLongerThan4096BytesAreRefused) {
  EXPECT_THROW(expandBraces(std::string(100'000, '{') + std::string(100'000, '}')), Error);
  std::string repeated;
  for (int k = 0; k < 50'000; ++k)
    repeated += "{}";
  EXPECT_THROW(Glob(repeated, false), Error);
  EXPECT_NO_THROW(Glob("**/" + std::string(4093, 'a'), false));
}

TEST(Glob, BraceExpansionWithinTheLengthLimitStaysBounded) {
  std::string single;
  while (single.size() + 3 <= 4096)
    single += "{a}";
  EXPECT_EQ(expandBraces(single), (std::vector<std::string>{std::string(single.size() / 3, 'a')}));
  // 4096 alternatives, each carried through two thousand empty groups.
  std::string wide = "{a,b}{a,b}{a,b}{a,b}{a,b}{a,b}{a,b}{a,b}{a,b}{a,b}{a,b}{a,b}";
  while (wide.size() + 2 <= 4096)
    wide += "{}";
  EXPECT_THROW(expandBraces(wide), Error);
}

}  // namespace
}  // namespace fff
