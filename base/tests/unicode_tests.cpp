#include <gtest/gtest.h>

#include "quillo/base/unicode.h"

namespace quillo::base {
namespace {

TEST(Unicode, LowercasesAsciiAndUnicodeAlikeWithFullCaseMapping) {
  EXPECT_EQ(lowercasedScalars("Lock Screen"), U"lock screen");
  EXPECT_EQ(lowercasedScalars("ÉTÉ Über"), U"été über");
  EXPECT_EQ(lowercasedScalars(""), U"");
  // Capital I with dot above lower-cases to i followed by a combining dot.
  EXPECT_EQ(lowercasedScalars("\xC4\xB0stanbul"), U"i\u0307stanbul");
  // Greek capital sigma at the end of a word is the final sigma under full case mapping.
  EXPECT_EQ(lowercasedScalars("ΟΔΟΣ"), U"οδος");
}

TEST(Unicode, IllFormedBytesBecomeReplacementCharacters) {
  EXPECT_EQ(sanitizedUtf8("a\xFF"
                          "b"),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(sanitizedUtf8("caf\xC3"), "caf\xEF\xBF\xBD");
  EXPECT_EQ(lowercasedScalars("A\xFF"), U"a\uFFFD");
  EXPECT_EQ(sanitizedUtf8("plain"), "plain");
}

TEST(Unicode, Utf8RoundTripsScalarsOutsideTheBasicPlane) {
  EXPECT_EQ(utf8(U"a😀é"), "a\xF0\x9F\x98\x80\xC3\xA9");
  EXPECT_EQ(utf8(std::u32string(1, char32_t{0xD800})), "\xEF\xBF\xBD");
}

TEST(Unicode, TrimsUnicodeWhiteSpaceAndLineBreaksAtTheEndsOnly) {
  EXPECT_EQ(trimmedWhiteSpace(" \t\u00a0Q3 report\n\u2003"), "Q3 report");
  EXPECT_EQ(trimmedWhiteSpace("a  b"), "a  b");
  EXPECT_EQ(trimmedWhiteSpace(" \n "), "");
  EXPECT_EQ(trimmedWhiteSpace("\xff x"), "\xff x");
}

TEST(Unicode, ValidUtf8RejectsTruncatedAndStrayBytes) {
  EXPECT_TRUE(isValidUtf8("caf\xC3\xA9 \xF0\x9F\x98\x80"));
  EXPECT_FALSE(isValidUtf8("caf\xC3"));
  EXPECT_FALSE(isValidUtf8("a\x80"));
}

TEST(Unicode, IgnoringAsciiCaseFoldsOnlyAsciiLetters) {
  EXPECT_TRUE(startsWithIgnoringAsciiCase("FILE:///tmp", "file:"));
  EXPECT_FALSE(startsWithIgnoringAsciiCase("fil", "file:"));
  EXPECT_TRUE(equalsIgnoringAsciiCase("Images", "images"));
  EXPECT_FALSE(equalsIgnoringAsciiCase("Images", "image"));
  EXPECT_FALSE(equalsIgnoringAsciiCase("\xC3\x89t\xC3\xA9", "\xC3\xA9t\xC3\xA9"));
}

}  // namespace
}  // namespace quillo::base
