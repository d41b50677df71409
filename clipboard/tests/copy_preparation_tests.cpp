#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "quillo/clipboard/clipboard_error.h"
#include "quillo/clipboard/clipboard_image.h"
#include "quillo/clipboard/copy_preparation.h"
#include "quillo/testing/temporary_folder.h"
#include "test_data.h"

namespace quillo::clipboard {
namespace {

const base::Date kCopied{1'800'000'000};

// known-text.png is 392 × 105 pixels (see clipboard_image_tests.cpp).
using testing::fixture;
using testing::fixturePath;

// One PNG item per image.
ClipboardPayload pngs(const std::vector<Bytes>& images) {
  ClipboardPayload payload;
  for (const Bytes& image : images)
    payload.items.push_back({{"public.png", image}});
  return payload;
}

PreparedCopy prepared(ClipboardPayload payload, std::optional<base::Url> page = std::nullopt) {
  static const ClipboardTagger tagger;
  return prepareCopy(
      capturedPayload(std::move(payload), "Preview", "com.apple.Preview", std::move(page), kCopied), tagger);
}

bool hasTag(const ClipboardEntry& entry, ClipboardTag::Key key, std::string_view value) {
  return std::find(entry.tags.begin(), entry.tags.end(), ClipboardTag{key, std::string(value)}) !=
         entry.tags.end();
}

TEST(CopyPreparation, AnImageIsTitledWithItsPixelSizeAndGetsAThumbnail) {
  const auto image = prepared(pngs({fixture("known-text.png")}));
  EXPECT_EQ(image.entry.kind, ClipboardKind::image);
  EXPECT_EQ(image.entry.title, "Image · 392 × 105");
  EXPECT_EQ(imagePixelSize(image.thumbnail), (PixelSize{320, 86}));
  EXPECT_EQ(image.entry.byteCount, image.payload.byteCount());
  EXPECT_EQ(image.entry.copiedAt, kCopied);
  EXPECT_TRUE(hasTag(image.entry, ClipboardTag::Key::bundle, "com.apple.Preview"));

  const auto two = prepared(pngs({fixture("known-text.png"), fixture("blank.png")}));
  EXPECT_EQ(two.entry.title, "2 images · 392 × 105");
}

TEST(CopyPreparation, FilesAreTitledByTheirLastPathComponent) {
  quillo::testing::TemporaryFolder folder;
  const auto one = prepared(ClipboardPayload::files({base::Url{"file:///tmp/Projects/"}}));
  EXPECT_EQ(one.entry.kind, ClipboardKind::file);
  EXPECT_EQ(one.entry.title, "Projects");
  EXPECT_TRUE(one.thumbnail.empty());

  const auto three = prepared(ClipboardPayload::files(
      {base::Url::file("/tmp/a.pdf"), base::Url::file("/tmp/b.pdf"), base::Url::file("/tmp/c.pdf")}));
  EXPECT_EQ(three.entry.title, "3 files · a.pdf");
  EXPECT_EQ(three.entry.text.view(), "/tmp/a.pdf\n/tmp/b.pdf\n/tmp/c.pdf");
}

TEST(CopyPreparation, ALoneImageFileGetsAThumbnail) {
  quillo::testing::TemporaryFolder folder;
  const auto picture = folder / "holiday.png";
  std::filesystem::copy_file(fixturePath("known-text.png"), picture);
  const auto copy = prepared(ClipboardPayload::files({base::Url::file(picture.string())}));
  EXPECT_EQ(copy.entry.title, "holiday.png");
  EXPECT_EQ(imagePixelSize(copy.thumbnail), (PixelSize{320, 86}));
}

TEST(CopyPreparation, TextIsTitledByItsFirstLineAndTaggedWithItsPage) {
  const auto text = prepared(ClipboardPayload::text("\n  Meeting notes\nsecond line"),
                             base::Url{"https://example.org/notes"});
  EXPECT_EQ(text.entry.kind, ClipboardKind::text);
  EXPECT_EQ(text.entry.title, "Meeting notes");
  EXPECT_TRUE(text.thumbnail.empty());
  EXPECT_TRUE(hasTag(text.entry, ClipboardTag::Key::site, "example.org")) << tagsJson(text.entry.tags);
}

TEST(CopyPreparation, AWebArchiveNamesThePageWhenTheCopyDoesNot) {
  const std::string archive = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict><key>WebMainResource</key><dict>
<key>WebResourceURL</key><string>https://news.example.com/story</string>
</dict></dict></plist>)";
  CapturedCopy copy = capturedPayload(ClipboardPayload::text("Headline"), "Safari", "com.apple.Safari",
                                      std::nullopt, kCopied);
  copy.webArchive = Bytes(archive.begin(), archive.end());
  const auto fromArchive = prepareCopy(copy, ClipboardTagger());
  EXPECT_TRUE(hasTag(fromArchive.entry, ClipboardTag::Key::site, "news.example.com"))
      << tagsJson(fromArchive.entry.tags);
}

TEST(CopyPreparation, ImageFilesBecomeThePayload) {
  CapturedCopy copy{
      .kind = ClipboardKind::image, .imageFiles = {fixturePath("known-text-turned.jpg")}, .date = kCopied};
  const auto prepared = prepareCopy(copy, ClipboardTagger());
  ASSERT_EQ(prepared.payload.items.size(), 1u);
  EXPECT_EQ(prepared.payload.items[0][0].type, "public.jpeg");
  EXPECT_EQ(prepared.payload.items[0][0].data, fixture("known-text-turned.jpg"));
  EXPECT_FALSE(prepared.thumbnail.empty());
}

TEST(CopyPreparation, ImageFilesThatAreGoneOrTooLargeAreRefused) {
  CapturedCopy copy{
      .kind = ClipboardKind::image, .imageFiles = {fixturePath("no-such-photo.jpg")}, .date = kCopied};
  EXPECT_THROW(prepareCopy(copy, ClipboardTagger()), ClipboardError);
  // An endless file is refused once it passes 32 MB, not read to the end.
  copy.imageFiles = {"/dev/zero"};
  EXPECT_THROW(prepareCopy(copy, ClipboardTagger()), ClipboardError);
}

}  // namespace
}  // namespace quillo::clipboard
