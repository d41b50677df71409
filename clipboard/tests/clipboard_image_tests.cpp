#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "quillo/base/errors.h"
#include "quillo/clipboard/clipboard_error.h"
#include "quillo/clipboard/clipboard_image.h"
#include "quillo/clipboard/clipboard_store.h"
#include "quillo/clipboard/clipboard_text_recognition.h"
#include "quillo/testing/mapped_libraries.h"
#include "quillo/testing/temporary_folder.h"
#include "store_fixture.h"
#include "test_data.h"

namespace quillo::clipboard {
namespace {

using quillo::testing::isMapped;

// The fixtures were rendered once with libvips' text rendering (DejaVu Sans): known-text.png
// (392 × 105) says "Quillo reads copied text" and "Second line 2026"; known-text-turned.jpg is
// the same picture stored turned a quarter left, with EXIF orientation 6 to turn it back;
// blank.png is 64 × 48 of white; german-text.png says "Grüße aus Zürich"; far-off-canvas.gif is
// 43 bytes whose one frame lies so far off its 1 × 1 screen that the canvas is 15,917 × 11,521.
using testing::fixture;

const Bytes kNotAnImage{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'};

void expectInvalidContent(const std::function<void()>& action) {
  try {
    action();
    ADD_FAILURE() << "no error";
  } catch (const ClipboardError& error) {
    EXPECT_EQ(error.code(), ClipboardError::Code::invalidContent);
  }
}

TEST(ClipboardImage, DecodesWithOrientationAndBoundedSize) {
  const auto image = ClipboardImage::decode(fixture("known-text.png"), ClipboardImage::kRecognitionSide);
  EXPECT_EQ((PixelSize{image.width(), image.height()}), (PixelSize{392, 105}));  // never enlarged

  const auto small = ClipboardImage::decode(fixture("known-text.png"), 98);
  EXPECT_EQ(small.width(), 98);
  EXPECT_LE(small.height(), 27);

  // Stored 105 wide and 392 high; upright after the orientation is applied.
  const auto turned = fixture("known-text-turned.jpg");
  EXPECT_EQ(imagePixelSize(turned), (PixelSize{105, 392}));
  const auto upright = ClipboardImage::decode(turned, ClipboardImage::kRecognitionSide);
  EXPECT_EQ((PixelSize{upright.width(), upright.height()}), (PixelSize{392, 105}));

  const auto grey = image.greyPixels();
  EXPECT_EQ(grey.size(), 392u * 105u);
  EXPECT_EQ(grey.front(), 255);  // the white margin
}

// Decoding it took 14 s and 1 GB before the header's pixel count was checked.
TEST(ClipboardImage, AFewBytesDeclaringAVastCanvasAreRefusedBeforeDecoding) {
  const Bytes vast = fixture("far-off-canvas.gif");
  EXPECT_EQ(imagePixelSize(vast), (PixelSize{15917, 11521}));
  expectInvalidContent([&] { ClipboardImage::decode(vast, ClipboardImage::kThumbnailSide); });
  expectInvalidContent([] {
    ClipboardImage::decodeFile(std::string(QUILLO_CLIPBOARD_TEST_DATA) + "/far-off-canvas.gif",
                               ClipboardImage::kThumbnailSide);
  });
}

TEST(ClipboardImage, ThumbnailsArePngWithinThreeHundredTwentyPixels) {
  const auto thumbnail = pngThumbnail(fixture("known-text.png"));
  ASSERT_GE(thumbnail.size(), 8u);
  EXPECT_EQ(Bytes(thumbnail.begin(), thumbnail.begin() + 4), (Bytes{0x89, 'P', 'N', 'G'}));
  EXPECT_EQ(imagePixelSize(thumbnail), (PixelSize{320, 86}));

  EXPECT_TRUE(pngThumbnail(kNotAnImage).empty());
  EXPECT_TRUE(pngThumbnail(Bytes{}).empty());
  EXPECT_EQ(imagePixelSize(kNotAnImage), std::nullopt);
  expectInvalidContent([] { ClipboardImage::decode(kNotAnImage, 320); });
  // A PNG cut short has a header but no pixels.
  auto truncated = fixture("known-text.png");
  truncated.resize(truncated.size() / 2);
  expectInvalidContent([&] { ClipboardImage::decode(truncated, 320); });
}

TEST(ClipboardTextRecognition, ReadsKnownTextLineByLineSkippingEmptyImagesUntilCancelled) {
  EXPECT_EQ(ClipboardTextRecognition::text(fixture("known-text.png")),
            "Quillo reads copied text\nSecond line 2026");
  EXPECT_EQ(ClipboardTextRecognition::text(fixture("known-text-turned.jpg")),
            "Quillo reads copied text\nSecond line 2026");
  EXPECT_EQ(ClipboardTextRecognition::text(fixture("blank.png")), "");
  expectInvalidContent([] { ClipboardTextRecognition::text(kNotAnImage); });

  const std::vector<Bytes> images{fixture("blank.png"), fixture("known-text.png"), fixture("known-text.png")};
  EXPECT_EQ(ClipboardTextRecognition::text(images),
            "Quillo reads copied text\nSecond line 2026\nQuillo reads copied text\nSecond line 2026");
  EXPECT_EQ(ClipboardTextRecognition::text(std::vector<Bytes>{}), "");
  std::stop_source stop;
  stop.request_stop();
  EXPECT_THROW(ClipboardTextRecognition::text(images, stop.get_token()), base::Cancelled);
  EXPECT_THROW(ClipboardTextRecognition::text(fixture("known-text.png"), stop.get_token()), base::Cancelled);
}

TEST(ClipboardTextRecognition, ReadsTheLanguageOfTheUsersLocaleBesidesEnglish) {
  EXPECT_EQ(ClipboardTextRecognition::languagesFor("de_CH"), "deu+eng");
  EXPECT_EQ(ClipboardTextRecognition::languagesFor("nb_NO"), "nor+eng");
  EXPECT_EQ(ClipboardTextRecognition::languagesFor("en_GB"), "eng");
  // A language without installed data is left out rather than failing recognition.
  EXPECT_EQ(ClipboardTextRecognition::languagesFor("tlh"), "eng");

  EXPECT_EQ(ClipboardTextRecognition::text(fixture("german-text.png"), {},
                                           ClipboardTextRecognition::languagesFor("de_CH")),
            "Grüße aus Zürich");
}

// Image decoding and text recognition bring some seventy libraries with them; a history of texts
// must not pay for them. Run in a fresh process, so that earlier tests have loaded nothing.
TEST(ClipboardImage, TheImageLibrariesLoadOnlyWhenAnImageIsDecoded) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        quillo::testing::TemporaryFolder folder;
        ClipboardStore store(folder / "history.sqlite");
        const ClipboardEntry entry = testing::textEntry(1, "hello there", 100);
        store.save(entry, ClipboardPayload::text(entry.text), {}, testing::roomyLimits(), base::Date{1e6});
        const bool found = store.search("hello", ClipboardFilter::all, 10).size() == 1;
        if (!found || isMapped("libvips") || isMapped("libtesseract")) std::_Exit(1);
        const bool decoded = !pngThumbnail(fixture("known-text.png")).empty();
        std::_Exit(decoded && isMapped("libvips") && isMapped("libtesseract") ? 0 : 2);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace quillo::clipboard
