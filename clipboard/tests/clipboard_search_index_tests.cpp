#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <utility>

#include "quillo/base/errors.h"
#include "quillo/clipboard/clipboard_search_index.h"
#include "quillo/clipboard/search_words.h"
#include "store_fixture.h"

namespace quillo::clipboard {
namespace {

using testing::idNumber;
using testing::textEntry;

std::vector<base::Uuid> ids(const std::vector<ClipboardEntry>& entries) {
  std::vector<base::Uuid> result;
  for (const auto& entry : entries)
    result.push_back(entry.id);
  return result;
}

class ClipboardSearchIndexTest : public ::testing::Test {
 protected:
  std::vector<base::Uuid> find(std::string_view query, ClipboardFilter filter = ClipboardFilter::all,
                               std::size_t limit = 50) {
    return ids(index_.search(query, filter, limit));
  }

  ClipboardSearchIndex index_;
};

TEST(SearchWords, FoldCaseAndDiacriticsAndSplitAtNonWordCharacters) {
  EXPECT_EQ(fold("Émile ÅNGSTRÖM"), "emile angstrom");
  EXPECT_EQ(fold("Straße"), "strasse");
  EXPECT_EQ(words("Hello, wörld! foo_bar 42x 😀 日本語 Ⅻ"),
            (std::vector<std::string>{"hello", "world", "foo", "bar", "42x", "日本語", "ⅻ"}));
  EXPECT_TRUE(words(" \n\t-- ").empty());
}

TEST(SearchWords, AsciiTextsSplitAsByteByByteAtEveryLength) {
  // Texts cross the splitter's 8- and 64-byte steps at every offset, and words end at text ends.
  std::mt19937 random(7);
  const std::string alphabet = "abcXYZ09 \t\n.,-_@/~\x01\x7f[]`{";
  for (std::size_t length = 0; length <= 200; ++length) {
    std::string text;
    for (std::size_t index = 0; index < length; ++index)
      text += alphabet[random() % alphabet.size()];
    std::vector<std::string> expected;
    std::string word;
    for (char c : text + " ") {
      if (std::isalnum(static_cast<unsigned char>(c))) {
        word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      } else if (!word.empty()) {
        expected.push_back(std::exchange(word, {}));
      }
    }
    EXPECT_EQ(words(text), expected) << text;
    EXPECT_EQ(words(std::string(length, 'Q')),
              length ? std::vector<std::string>{std::string(length, 'q')} : std::vector<std::string>{});
  }
}

TEST(SearchWords, OneEditCountsCharactersNotBytes) {
  // Equal, one deletion, insertion or replacement, or two neighbours swapped; é and ï are one
  // character of two bytes each.
  const std::pair<const char*, const char*> oneEdit[] = {
      {"hello", "hello"}, {"hello", "helo"}, {"helo", "hello"},  {"hello", "hallo"},
      {"hello", "hlelo"}, {"café", "cafe"},  {"naïve", "naive"}, {"ab", "ba"}};
  for (const auto& [a, b] : oneEdit)
    EXPECT_TRUE(ClipboardSearchIndex::isOneEdit(a, b)) << a << " / " << b;
  const std::pair<const char*, const char*> more[] = {
      {"hello", "olleh"}, {"hello", "hel"}, {"hello", "hxllx"}, {"abcd", "badc"}};  // badc: two swaps
  for (const auto& [a, b] : more)
    EXPECT_FALSE(ClipboardSearchIndex::isOneEdit(a, b)) << a << " / " << b;
}

TEST_F(ClipboardSearchIndexTest, EmptyQueryListsTheFilteredHistoryPinnedThenNewest) {
  index_.insert(textEntry(1, "old", 10));
  index_.insert(textEntry(2, "new", 30));
  index_.insert(textEntry(3, "pinned", 5, true));
  ClipboardEntry link = textEntry(4, "https://example.org", 20);
  link.kind = ClipboardKind::link;
  index_.insert(link);
  EXPECT_EQ(find("  \n"), (std::vector{idNumber(3), idNumber(2), idNumber(4), idNumber(1)}));
  EXPECT_EQ(find("", ClipboardFilter::text), (std::vector{idNumber(3), idNumber(2), idNumber(1)}));
  EXPECT_EQ(find("", ClipboardFilter::link), std::vector{idNumber(4)});
  EXPECT_EQ(find("", ClipboardFilter::all, 2), (std::vector{idNumber(3), idNumber(2)}));
}

TEST_F(ClipboardSearchIndexTest, ExactWordsBeatPrefixesWhichBeatTypos) {
  for (const auto& [number, text, date] :
       {std::tuple{1, "configuration file", 3}, {2, "the config", 1}, {3, "confit duck", 2}}) {
    ClipboardEntry entry = textEntry(number, text, date);
    entry.title = "Note";
    index_.insert(entry);
  }
  // "config" is exact in 2, a prefix in 1, one edit from "confit" in 3.
  EXPECT_EQ(find("config"), (std::vector{idNumber(2), idNumber(1), idNumber(3)}));
  // Swapped letters and a missing letter still find the word; two letters never use typos.
  EXPECT_EQ(find("dcuk"), std::vector{idNumber(3)});
  EXPECT_EQ(find("duk"), std::vector{idNumber(3)});
  EXPECT_TRUE(find("dk").empty());
  EXPECT_EQ(find("DÜCK"), std::vector{idNumber(3)});
}

TEST_F(ClipboardSearchIndexTest, EveryQueryWordMustMatchUpToSixteen) {
  index_.insert(textEntry(1, "alpha beta", 1));
  index_.insert(textEntry(2, "alpha gamma", 2));
  EXPECT_EQ(find("alpha beta"), std::vector{idNumber(1)});
  EXPECT_TRUE(find("beta gamma").empty());
  std::string sixteen;
  for (int word = 0; word < 16; ++word)
    sixteen += "alpha ";
  EXPECT_EQ(find(sixteen + "nothingmatchesthis").size(), 2u);
  EXPECT_TRUE(find(sixteen.substr(0, 15 * 6) + "nothingmatchesthis").empty());
}

TEST_F(ClipboardSearchIndexTest, TitleBonusRanksBelowPinning) {
  ClipboardEntry titled = textEntry(1, "meeting notes", 1);
  titled.title = "Meeting";
  index_.insert(titled);
  index_.insert(textEntry(2, "meeting meeting agenda", 5));
  index_.insert(textEntry(3, "meeting room", 2, true));
  EXPECT_EQ(find("meeting"), (std::vector{idNumber(3), idNumber(1), idNumber(2)}));
}

TEST_F(ClipboardSearchIndexTest, TagsAppNamesAndImageTextAreSearchable) {
  ClipboardEntry image = textEntry(1, "", 1);
  image.title = "Image · 800 × 600";
  image.kind = ClipboardKind::image;
  image.imageText = "Invoice total";
  index_.insert(image);
  ClipboardEntry link = textEntry(2, "https://docs.example.org/page", 2);
  link.kind = ClipboardKind::link;
  link.tags = {{ClipboardTag::Key::linkSite, "docs.example.org"}, {ClipboardTag::Key::category, "web"}};
  index_.insert(link);
  EXPECT_EQ(find("photo"), std::vector{idNumber(1)});
  EXPECT_EQ(find("invoice"), std::vector{idNumber(1)});
  EXPECT_EQ(find("url web"), std::vector{idNumber(2)});
  EXPECT_EQ(find("editor"), (std::vector{idNumber(2), idNumber(1)}));
  // The top-level domain is not a tag word; the link's own text still has it.
  EXPECT_EQ(index_.terms(idNumber(2)), (std::vector<std::string>{"docs", "editor", "example", "https", "link",
                                                                 "org", "page", "url", "web"}));
  index_.remove(idNumber(2));
  EXPECT_TRUE(find("docs").empty());
  EXPECT_EQ(index_.count(), 1u);
}

TEST_F(ClipboardSearchIndexTest, AbbreviationsTakeWordStartsInOrderWhenNoWordMatched) {
  const std::string label = "visual studio code editor";
  for (const std::u32string abbreviation : {U"vsc", U"visco", U"vc"})  // a word may be skipped
    EXPECT_TRUE(ClipboardSearchIndex::isAbbreviation(abbreviation, label));
  // "d" is inside a word only.
  for (const std::u32string abbreviation : {U"sv", U"vsd", U""})
    EXPECT_FALSE(ClipboardSearchIndex::isAbbreviation(abbreviation, label));
  EXPECT_FALSE(ClipboardSearchIndex::isAbbreviation(U"v", ""));
  EXPECT_FALSE(ClipboardSearchIndex::isAbbreviation(std::u32string(64, U'a'), std::string(64, 'a')));

  ClipboardEntry code = textEntry(1, "some text", 1);
  code.title = "Visual Studio Code";
  index_.insert(code);
  index_.insert(textEntry(2, "vsc", 2));
  EXPECT_EQ(find("vsc"), (std::vector{idNumber(2), idNumber(1)}));
  EXPECT_EQ(find("vis co"), std::vector{idNumber(1)});
  EXPECT_TRUE(find("sv").empty());
  EXPECT_EQ(find("vsc", ClipboardFilter::all, 1), std::vector{idNumber(2)});
}

TEST_F(ClipboardSearchIndexTest, StrongMatchNeedsTheWordsThemselvesAndCancelledLookupsThrow) {
  ClipboardEntry tagged = textEntry(1, "", 5);
  tagged.kind = ClipboardKind::image;
  tagged.title = "Screenshot";
  index_.insert(tagged);
  index_.insert(textEntry(2, "photograph of the sea", 4));
  index_.insert(textEntry(3, "a phot of it", 3));
  index_.insert(textEntry(4, "my photo album", 1));
  EXPECT_EQ(index_.strongMatch("photo")->id, idNumber(4));
  EXPECT_EQ(index_.strongMatch("Photo album")->id, idNumber(4));
  EXPECT_FALSE(index_.strongMatch("ph"));
  EXPECT_FALSE(index_.strongMatch("picture"));
  EXPECT_FALSE(index_.strongMatch("photograp"));
  EXPECT_EQ(index_.strongMatch("sea")->id, idNumber(2));

  std::stop_source stop;
  stop.request_stop();
  EXPECT_THROW(index_.search("sea", ClipboardFilter::all, 5, stop.get_token()), base::Cancelled);
  EXPECT_THROW(index_.strongMatch("sea", stop.get_token()), base::Cancelled);
}

TEST_F(ClipboardSearchIndexTest, ReplacingAndBulkLoadingKeepTheIndexExact) {
  std::vector<ClipboardEntry> entries;
  for (int number = 0; number < 200; ++number) {
    // Each entry has a word of its own, more than one edit from every other entry's.
    entries.push_back(textEntry(
        number, "own" + std::string(1, char('a' + number % 26)) + std::to_string(number * 7919) + " shared",
        number));
    entries.back().title = "Note";
  }
  index_.insertAll(entries, 3);
  EXPECT_EQ(index_.count(), 200u);
  EXPECT_EQ(find("ownr134623"), std::vector{idNumber(17)});
  EXPECT_EQ(find("shared").size(), 50u);
  // Replacing keeps words the old and new texts share and drops the rest.
  ClipboardEntry changed = entries[17];
  changed.text = "shared replacement";
  index_.insert(changed);
  EXPECT_TRUE(find("ownr134623").empty());
  EXPECT_EQ(find("replacement"), std::vector{idNumber(17)});
  EXPECT_EQ(find("shared", ClipboardFilter::all, 1000).size(), 200u);
  EXPECT_EQ(index_.terms(idNumber(17)),
            (std::vector<std::string>{"editor", "note", "replacement", "shared", "text"}));
  for (int number = 0; number < 200; ++number)
    index_.remove(idNumber(number));
  EXPECT_EQ(index_.count(), 0u);
  EXPECT_TRUE(find("shared").empty());
  EXPECT_TRUE(find("sharde").empty());
}

TEST_F(ClipboardSearchIndexTest, TyposStayExactAcrossBulkLoadsRemovalsAndSingleInserts) {
  // Thousands of typo keys: loaded at once, then removed and added one entry at a time, far past
  // the points where the key table folds its pending changes into its sorted array.
  const auto wordOf = [](int number) {
    std::mt19937 random(static_cast<unsigned>(number));
    std::string word;
    for (int letter = 0; letter < 9; ++letter)
      word += static_cast<char>('a' + random() % 26);
    return word;
  };
  std::vector<ClipboardEntry> entries;
  for (int number = 0; number < 1500; ++number)
    entries.push_back(textEntry(number, wordOf(number), number));
  index_.insertAll(entries, 2);
  for (int number = 0; number < 1200; ++number)
    index_.remove(idNumber(number));
  for (int number = 2000; number < 3000; ++number)
    index_.insert(textEntry(number, wordOf(number), number));
  for (int number : {5, 1199, 1200, 1499, 2000, 2999}) {
    std::string typo = wordOf(number);
    std::swap(typo[1], typo[2]);
    const auto found = find(typo);
    const bool kept = number >= 1200;
    EXPECT_EQ(std::count(found.begin(), found.end(), idNumber(number)), kept ? 1 : 0) << typo;
  }
}

TEST_F(ClipboardSearchIndexTest, LoaderKeepsTheLastOfRepeatedIdsAndNothingWhenDropped) {
  {
    ClipboardSearchIndex::Loader dropped(index_, 2);
    for (int number = 0; number < 100; ++number)
      dropped.add(textEntry(number, "abandoned words", number));
  }
  EXPECT_EQ(index_.count(), 0u);
  EXPECT_TRUE(find("abandoned").empty());

  ClipboardSearchIndex::Loader loader(index_, 2);
  for (int number = 0; number < 100; ++number)
    loader.add(textEntry(number, "first draft " + std::to_string(number), number));
  loader.add(textEntry(7, "final copy", 500));
  loader.finish();
  EXPECT_EQ(index_.count(), 100u);
  EXPECT_EQ(find("final"), std::vector{idNumber(7)});
  EXPECT_EQ(find("draft", ClipboardFilter::all, 1000).size(), 99u);
  EXPECT_EQ(index_.find(idNumber(7))->copiedAt, base::Date{500});
}

}  // namespace
}  // namespace quillo::clipboard
