#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "index.h"
#include "names.h"

namespace fff {
namespace {

using ::testing::UnorderedElementsAreArray;

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

// A folder's children are interned as one batch: repeats within it, names seen before and a
// batch that makes the table grow all get the ids one-by-one interning gives.
TEST(NameTable, ABatchGetsTheIdsOfOneByOne) {
  NameTable names;
  const std::uint32_t readme = names.intern("README.md");
  std::vector<std::string> texts{"a.txt", "README.md", "a.txt", "Ünïcode.TXT"};
  for (int k = 0; k < 3000; ++k)
    texts.push_back("n" + std::to_string(k % 2000));
  const std::vector<std::string_view> batch(texts.begin(), texts.end());
  std::vector<std::uint32_t> ids;
  names.internAll(batch, ids);
  ASSERT_EQ(ids.size(), batch.size());
  EXPECT_EQ(ids[1], readme);
  EXPECT_EQ(ids[0], ids[2]);
  EXPECT_EQ(names.folded(ids[3]), "ünïcode.txt");
  for (std::size_t k = 0; k < batch.size(); ++k)
    ASSERT_EQ(names.intern(batch[k]), ids[k]) << batch[k];
  EXPECT_EQ(names.size(), 2003u);
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
