#include <gtest/gtest.h>

#include "../../src/clipboard/rtf_text.h"

namespace quillo::app {
namespace {

TEST(RtfPlainText, KeepsTheTextAndDropsTablesAndHiddenGroups) {
  EXPECT_EQ(rtfPlainText(R"({\rtf1\ansi{\fonttbl\f0\fswiss Helvetica;}{\colortbl;\red255\green0\blue0;})"
                         R"({\*\expandedcolortbl;;}\f0\b Bold\b0  and \{braces\}\par next\line line})"),
            "Bold and {braces}\nnext\nline");
}

TEST(RtfPlainText, DecodesEscapedAndUnicodeCharacters) {
  EXPECT_EQ(rtfPlainText(R"({\rtf1 caf\'e9 \u8364? \uc2\u8212\'97\'97 end})"), "café € — end");
  EXPECT_EQ(rtfPlainText(R"({\rtf1 \u-10179?\u-8694?!})"), "😊!");
}

}  // namespace
}  // namespace quillo::app
