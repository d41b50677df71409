#include <gtest/gtest.h>

#include "quillo/clipboard/clipboard_composition.h"
#include "quillo/clipboard/clipboard_error.h"
#include "test_data.h"

namespace quillo::clipboard {
namespace {

using Style = ClipboardComposition::TextStyle;
using Item = ClipboardComposition::Item;
using Code = ClipboardError::Code;

using testing::bytes;

Item text(std::string_view value) {
  return {.kind = ClipboardKind::text, .payload = ClipboardPayload::text(std::string(value))};
}

Item richText(std::string_view value) {
  return {.kind = ClipboardKind::text,
          .payload = {{{{"public.html", bytes("<b>" + std::string(value) + "</b>")},
                        {"public.utf8-plain-text", bytes(value)}}}}};
}

Item file(std::string_view path) {
  return {.kind = ClipboardKind::file, .payload = ClipboardPayload::files({base::Url::file(path)})};
}

Item image(std::string_view name) {
  return {.kind = ClipboardKind::image, .payload = {{{{"public.png", bytes(name)}}}}};
}

std::optional<Code> failure(const std::vector<Item>& items, Style style) {
  try {
    ClipboardComposition::combine(items, ", ", style);
    return std::nullopt;
  } catch (const ClipboardError& error) {
    return error.code();
  }
}

TEST(ClipboardComposition, JoinsTextLinksAndFilePathsWithTheSeparator) {
  const std::vector<Item> items{
      text("first"),
      {.kind = ClipboardKind::link, .payload = ClipboardPayload::text("https://example.org")},
      file("/tmp/a b.txt")};
  EXPECT_EQ(ClipboardComposition::combine(items, ", ", Style::original),
            ClipboardPayload::text("first, https://example.org, /tmp/a b.txt"));

  // A file entry with several files gives all its paths, with the same separator.
  const Item twoFiles{.kind = ClipboardKind::file,
                      .payload = ClipboardPayload::files({base::Url::file("/a"), base::Url::file("/b")})};
  EXPECT_EQ(ClipboardComposition::combine({text("x"), twoFiles}, " | ", Style::plain),
            ClipboardPayload::text("x | /a | /b"));

  EXPECT_EQ(ClipboardComposition::combine({text("# Title"), text("**bold**")}, "\n", Style::clean),
            ClipboardPayload::text("Title\nbold"));
  EXPECT_EQ(ClipboardComposition::combine({text("# Title"), text("**bold**")}, "\n", Style::plain),
            ClipboardPayload::text("# Title\n**bold**"));
}

TEST(ClipboardComposition, OneEntryOrFilesAndImagesAloneKeepEveryRepresentation) {
  const Item rich = richText("hello");
  EXPECT_EQ(ClipboardComposition::combine({rich}, ", ", Style::original), rich.payload);
  EXPECT_EQ(ClipboardComposition::combine({rich}, ", ", Style::plain), ClipboardPayload::text("hello"));
  EXPECT_EQ(ClipboardComposition::combine({rich}, ", ", Style::clean), ClipboardPayload::text("hello"));

  const auto files = ClipboardComposition::combine({file("/a"), file("/b")}, ", ", Style::original);
  EXPECT_EQ(files.fileURLs(), (std::vector<base::Url>{base::Url::file("/a"), base::Url::file("/b")}));

  const auto images = ClipboardComposition::combine({image("one"), image("two")}, ", ", Style::original);
  EXPECT_EQ(images.items.size(), 2u);
  EXPECT_EQ(images.items[1], image("two").payload.items[0]);
}

TEST(ClipboardComposition, RefusesWhatCannotBeCombined) {
  const Item fileWithoutUrls{.kind = ClipboardKind::file, .payload = ClipboardPayload::text("/not/a/url")};
  const Item textWithoutText{.kind = ClipboardKind::text, .payload = {{{{"public.png", bytes("x")}}}}};
  const struct {
    const char* name;
    std::vector<Item> items;
    Style style;
    std::optional<Code> code;
  } cases[] = {
      {"nothing", {}, Style::original, Code::missingItem},
      {"images as plain text", {image("a"), image("b")}, Style::plain, Code::mixedSelection},
      {"images cleaned", {image("a")}, Style::clean, Code::mixedSelection},
      {"files as plain text", {file("/a"), file("/b")}, Style::plain, Code::invalidContent},
      {"a file entry without file URLs",
       {file("/a"), fileWithoutUrls},
       Style::original,
       Code::invalidContent},
      {"the same among text", {text("a"), fileWithoutUrls}, Style::original, Code::invalidContent},
      {"text without plain text", {text("a"), textWithoutText}, Style::plain, Code::invalidContent},
      {"an image among text", {text("a"), image("b")}, Style::original, Code::invalidContent},
      {"one text", {textWithoutText}, Style::original, std::nullopt},  // kept as it is
  };
  for (const auto& [name, items, style, code] : cases)
    EXPECT_EQ(failure(items, style), code) << name;
}

TEST(ClipboardComposition, ImagesAreLeftOutOnlyWhenMixed) {
  using K = ClipboardKind;
  const std::pair<std::vector<K>, bool> cases[] = {
      {{K::image, K::text}, true},
      {{K::file, K::image}, true},
      {{K::image, K::image}, false},
      {{K::text, K::link}, false},
      {{}, false},
  };
  for (const auto& [kinds, expected] : cases)
    EXPECT_EQ(ClipboardComposition::leavesOutImages(kinds), expected);
  EXPECT_EQ(textStyleFromRaw("clean"), Style::clean);
  EXPECT_EQ(textStyleFromRaw("Clean"), std::nullopt);
}

}  // namespace
}  // namespace quillo::clipboard
