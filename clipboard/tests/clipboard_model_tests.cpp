#include <gtest/gtest.h>

#include "quillo/clipboard/clipboard_category.h"
#include "quillo/clipboard/clipboard_entry.h"
#include "quillo/clipboard/clipboard_error.h"
#include "quillo/clipboard/clipboard_filter.h"
#include "quillo/clipboard/clipboard_limits.h"
#include "quillo/clipboard/clipboard_payload.h"
#include "quillo/clipboard/copied_text.h"
#include "test_data.h"

namespace quillo::clipboard {
namespace {

using Representation = ClipboardPayload::Representation;

using testing::bytes;

Representation representation(std::string_view type, std::string_view data) {
  return {std::string(type), bytes(data)};
}

TEST(ClipboardPayload, PlainTextJoinsEveryItemOrIsAbsent) {
  const ClipboardPayload twoTexts{
      {{representation("public.utf8-plain-text", "one")},
       {representation("public.png", "\x89PNG"), representation("public.utf8-plain-text", "two")}}};
  EXPECT_EQ(twoTexts.plainText(), "one\ntwo");

  const ClipboardPayload withImageOnly{
      {{representation("public.utf8-plain-text", "one")}, {representation("public.png", "\x89PNG")}}};
  EXPECT_EQ(withImageOnly.plainText(), std::nullopt);

  // The first text-like representation wins, in the item's own order.
  const ClipboardPayload urlFirst{{{representation("public.url", "https://example.org/"),
                                    representation("public.utf8-plain-text", "Example")}}};
  EXPECT_EQ(urlFirst.plainText(), "https://example.org/");

  const ClipboardPayload notUtf8{{{representation("public.utf8-plain-text", "caf\xe9")}}};
  EXPECT_EQ(notUtf8.plainText(), std::nullopt);
  EXPECT_EQ(ClipboardPayload{}.plainText(), std::nullopt);
}

TEST(ClipboardPayload, FileURLsNeedAFileURLInEveryItem) {
  const auto files = ClipboardPayload::files({base::Url::file("/tmp/a b.txt"), base::Url::file("/tmp/c")});
  ASSERT_TRUE(files.fileURLs());
  EXPECT_EQ(files.fileURLs()->at(0).filePath(), "/tmp/a b.txt");
  EXPECT_EQ(files.fileURLs()->size(), 2u);

  ClipboardPayload mixed = ClipboardPayload::files({base::Url::file("/tmp/a")});
  mixed.items.push_back({representation("public.file-url", "https://example.org/")});
  EXPECT_EQ(mixed.fileURLs(), std::nullopt);
  EXPECT_EQ(ClipboardPayload{}.fileURLs(), std::nullopt);
}

TEST(ClipboardPayload, TwoFileURLsInOneRepresentationAreNotAFile) {
  const ClipboardPayload lines{{{representation("public.file-url", "file:///tmp/a\nfile:///tmp/b")}}};
  EXPECT_EQ(lines.fileURLs(), std::nullopt);
  const ClipboardPayload spaced{{{representation("public.file-url", "file:///tmp/a file:///tmp/b")}}};
  EXPECT_EQ(spaced.fileURLs(), std::nullopt);
}

TEST(ClipboardPayload, PropertyListRoundTripsEveryByteAndRefusesDamage) {
  ClipboardPayload payload = ClipboardPayload::text("héllo");
  payload.items.push_back({representation("public.png", std::string("\0\x01\xff", 3)),
                           representation("public.utf8-plain-text", "")});
  payload.items.push_back({});
  const Bytes stored = payload.propertyList();
  ASSERT_GE(stored.size(), 8u);
  EXPECT_EQ(std::string(stored.begin(), stored.begin() + 8), "bplist00");
  EXPECT_EQ(ClipboardPayload::fromPropertyList(stored), payload);
  EXPECT_EQ(payload.byteCount(), 6 + 3);
  EXPECT_EQ(ClipboardPayload{}.byteCount(), 0);

  Bytes truncated = stored;
  truncated.resize(truncated.size() / 2);
  for (const Bytes& damaged : {bytes("not a property list"), Bytes{}, truncated})
    EXPECT_THROW(ClipboardPayload::fromPropertyList(damaged), PayloadDecodingError);
}

TEST(ClipboardEntry, PinDateFollowsThePin) {
  const base::Date copied{1000};
  const ClipboardEntry unpinned({.copiedAt = copied, .isPinned = false, .pinnedAt = base::Date{2000}});
  EXPECT_EQ(unpinned.pinnedAt, std::nullopt);
  const ClipboardEntry pinnedWithoutDate({.copiedAt = copied, .isPinned = true});
  EXPECT_EQ(pinnedWithoutDate.pinnedAt, copied);
  const ClipboardEntry pinnedWithDate({.copiedAt = copied, .isPinned = true, .pinnedAt = base::Date{2000}});
  EXPECT_EQ(pinnedWithDate.pinnedAt, base::Date{2000});
}

TEST(ClipboardEntry, TokenTagMarksATokenAndTagsRoundTripAsJson) {
  ClipboardEntry entry({.tags = {{ClipboardTag::Key::linkSite, "example.org"}}});
  EXPECT_FALSE(entry.isToken());
  entry.tags.push_back({ClipboardTag::Key::category, "token"});
  EXPECT_TRUE(entry.isToken());
  EXPECT_EQ(entry.tags[0].description(), "link-site:example.org");

  const std::string json = tagsJson(entry.tags);
  EXPECT_EQ(json, R"([{"key":"link-site","value":"example.org"},{"key":"category","value":"token"}])");
  EXPECT_EQ(tagsFromJson(json), entry.tags);
  EXPECT_EQ(tagsJson({}), "[]");
  for (std::string_view bad : {"", "{}", "[1]", R"([{"key":"colour","value":"x"}])", R"([{"key":"app"}])"}) {
    EXPECT_EQ(tagsFromJson(bad), std::nullopt) << bad;
  }
}

TEST(ClipboardFilter, TextFilterLeavesOutLinks) {
  const ClipboardEntry link({.kind = ClipboardKind::link});
  const ClipboardEntry pinnedImage({.kind = ClipboardKind::image, .isPinned = true});
  EXPECT_FALSE(includes(ClipboardFilter::text, link));
  EXPECT_TRUE(includes(ClipboardFilter::link, link));
  EXPECT_TRUE(includes(ClipboardFilter::all, link));
  EXPECT_TRUE(includes(ClipboardFilter::pinned, pinnedImage));
  EXPECT_TRUE(includes(ClipboardFilter::image, pinnedImage));
  EXPECT_FALSE(includes(ClipboardFilter::pinned, link));
}

TEST(ClipboardLimits, SettingsAreClampedToUsableLimits) {
  const auto small = ClipboardLimits::fromSettings(0, 8, false);
  EXPECT_EQ(small.retentionDays, 1);
  EXPECT_EQ(small.bytes, 16 * 1'048'576);
  EXPECT_EQ(small.count, 10000);
  EXPECT_EQ(small.tokenLifetime, std::nullopt);
  const auto usual = ClipboardLimits::fromSettings(30, 256, true);
  EXPECT_EQ(usual.bytes, 256LL * 1'048'576);
  EXPECT_EQ(usual.tokenLifetime, 3600.0);
}

// Raw values are stored in the history and typed on the command line: each reads back as itself.
TEST(ClipboardVocabulary, RawValuesRoundTripAndUnknownOnesDoNot) {
  for (ClipboardKind kind : kAllClipboardKinds)
    EXPECT_EQ(clipboardKindFromRaw(rawValue(kind)), kind);
  EXPECT_EQ(clipboardKindFromRaw("video"), std::nullopt);
  for (ClipboardCategory category : kAllClipboardCategories) {
    EXPECT_EQ(clipboardCategoryFromRaw(rawValue(category)), category);
    EXPECT_FALSE(searchWords(category).empty());
  }
  for (ClipboardFilter filter : kAllClipboardFilters)
    EXPECT_EQ(clipboardFilterFromRaw(rawValue(filter)), filter);
}

TEST(CopiedText, TitleIsTheFirstNonEmptyLineAndLinksAreLoneAddresses) {
  EXPECT_EQ(titleOf("\n\r\nfirst\u2028second"), "first");
  EXPECT_EQ(titleOf("one\u2029two"), "one");
  EXPECT_EQ(titleOf(""), "");
  EXPECT_EQ(titleOf(std::string(150, 'a') + std::string(20, 'b')),
            std::string(150, 'a') + std::string(10, 'b'));
  EXPECT_EQ(copiedText("\n  text \t\n"), "text");
  EXPECT_EQ(kindOfText(" HTTPS://example.org/a?b=c\n"), ClipboardKind::link);
  EXPECT_EQ(kindOfText("http://localhost:8080"), ClipboardKind::link);
  EXPECT_EQ(kindOfText("see https://example.org"), ClipboardKind::text);
  EXPECT_EQ(kindOfText("https://"), ClipboardKind::text);
  EXPECT_EQ(kindOfText("ftp://example.org"), ClipboardKind::text);
  EXPECT_TRUE(isImageType("public.heic"));
  EXPECT_FALSE(isImageType("public.gif"));
}

}  // namespace
}  // namespace quillo::clipboard
