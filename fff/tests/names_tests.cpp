#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "index.h"
#include "names.h"
#include "text.h"

namespace fff {
namespace {

using ::testing::UnorderedElementsAreArray;

TEST(NameTable, OneIdPerDistinctSpellingKeptByteForByte) {
  NameTable names;
  const std::uint32_t readme = names.intern("README.md");
  EXPECT_EQ(names.intern("README.md"), readme);
  // Case variants are names of their own: ranking credits each one's own capitals.
  const std::uint32_t lower = names.intern("readme.md");
  EXPECT_NE(lower, readme);
  EXPECT_EQ(names.text(readme), "README.md");
  EXPECT_EQ(names.text(lower), "readme.md");
  // Bytes that are not UTF-8 are kept as they are, and compared as bytes.
  const std::string broken = "\xff\xfe-data.bin";
  const std::uint32_t raw = names.intern(broken);
  EXPECT_EQ(names.text(raw), broken);
  EXPECT_EQ(names.folded(raw), broken);
  EXPECT_NE(names.intern("\xff\xfd-data.bin"), raw);
  EXPECT_EQ(names.size(), 4u);
}

TEST(NameTable, FoldedFormAndMaskCoverBothSpellings) {
  NameTable names;
  const std::uint32_t ascii = names.intern("Budget.xlsx");
  // ASCII names are folded while matching, never stored twice.
  EXPECT_EQ(names.folded(ascii).data(), names.text(ascii).data());
  const std::uint32_t umlaut = names.intern("\xc3\x84rger.txt");  // Ärger.txt
  EXPECT_EQ(names.folded(umlaut), "\xc3\xa4rger.txt");
  // The Kelvin sign folds to an ASCII "k": the mask must still hold the bit of the non-ASCII
  // bytes, or a search that matches case would turn the name away before reading it.
  const std::uint32_t kelvin = names.intern("\xe2\x84\xaa.txt");
  EXPECT_EQ(names.folded(kelvin), "k.txt");
  const CharMask mask = names.masks()[kelvin];
  EXPECT_EQ(mask & charBit('k'), charBit('k'));
  EXPECT_EQ(mask & charBit(0xe2), charBit(0xe2));
}

TEST(NameTable, IdsAndTextsSurviveTheTableGrowing) {
  NameTable names;
  std::vector<std::uint32_t> ids;
  for (int k = 0; k < 50000; ++k)
    ids.push_back(names.intern("file-" + std::to_string(k) + ".txt"));
  for (int k = 0; k < 50000; ++k) {
    const std::string name = "file-" + std::to_string(k) + ".txt";
    ASSERT_EQ(names.intern(name), ids[static_cast<std::size_t>(k)]) << name;
    ASSERT_EQ(names.text(ids[static_cast<std::size_t>(k)]), name);
  }
  EXPECT_EQ(names.size(), 50000u);
}

TEST(NameTable, ExtensionKeysIgnoreCaseAndTakeTheLastDot) {
  NameTable names;
  const auto key = [&](const std::string& name) { return names.extensions()[names.intern(name)]; };
  EXPECT_EQ(key("a.pdf"), NameTable::extensionKey("pdf"));
  EXPECT_EQ(key("B.PDF"), NameTable::extensionKey("pdf"));
  EXPECT_EQ(key(".pdf"), NameTable::extensionKey("pdf"));
  EXPECT_EQ(key("archive.tar.gz"), NameTable::extensionKey("gz"));
  EXPECT_NE(key("archive.tar.gz"), NameTable::extensionKey("tar.gz"));
  EXPECT_EQ(key("pdf"), 0u);
  // A trailing dot is an empty extension, which is not the same as none.
  EXPECT_EQ(key("odd."), NameTable::extensionKey(""));
  EXPECT_NE(NameTable::extensionKey(""), 0u);
}

Listed listed(const std::string& name, Kind kind = Kind::file) {
  Listed entry;
  entry.name = name;
  entry.kind = kind;
  return entry;
}

std::vector<std::uint32_t> chain(const Index& index, std::uint32_t name) {
  std::vector<std::uint32_t> entries;
  for (std::uint32_t at = index.lastWithName(name); at != kNone; at = index.previousWithName(at))
    if (index.entries()[at].kind != Kind::removed) entries.push_back(at);
  return entries;
}

TEST(IndexNames, CountsAndChainsFollowEntriesComingAndGoing) {
  Index index;
  const std::uint32_t docs = index.add(kRootDirectory, listed("docs", Kind::directory));
  const std::uint32_t docsSlot = index.details(docs).directory;
  const std::uint32_t first = index.add(kRootDirectory, listed("notes"));
  const std::uint32_t second = index.add(docsSlot, listed("notes"));
  const std::uint32_t folder = index.add(docsSlot, listed("notes", Kind::directory));
  const std::uint32_t name = index.entries()[first].name;
  ASSERT_EQ(index.entries()[second].name, name);
  ASSERT_EQ(index.entries()[folder].name, name);
  EXPECT_EQ(index.names().entries(name), 3u);
  EXPECT_EQ(index.names().folders(name), 1u);
  EXPECT_THAT(chain(index, name), UnorderedElementsAreArray({first, second, folder}));

  // Removing a folder removes what it holds, and each from its name's count.
  index.remove(docs);
  EXPECT_EQ(index.names().entries(name), 1u);
  EXPECT_EQ(index.names().folders(name), 0u);
  EXPECT_THAT(chain(index, name), UnorderedElementsAreArray({first}));
  index.remove(first);
  EXPECT_EQ(index.names().entries(name), 0u);
  EXPECT_TRUE(chain(index, name).empty());

  // A name whose entries all went keeps its id for the next entry that has it.
  const std::uint32_t again = index.add(kRootDirectory, listed("notes"));
  EXPECT_EQ(index.entries()[again].name, name);
  EXPECT_EQ(index.names().entries(name), 1u);
  EXPECT_THAT(chain(index, name), UnorderedElementsAreArray({again}));
}

}  // namespace
}  // namespace fff
