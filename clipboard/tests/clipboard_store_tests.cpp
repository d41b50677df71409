#include <gtest/gtest.h>

#include "quillo/base/errors.h"
#include "quillo/clipboard/clipboard_error.h"
#include "quillo/clipboard/clipboard_store.h"
#include "quillo/testing/temporary_folder.h"
#include "raw_database.h"
#include "store_fixture.h"

namespace quillo::clipboard {
namespace {

using testing::idNumber;
using testing::roomyLimits;
using testing::textEntry;

class ClipboardStoreTest : public ::testing::Test {
 protected:
  std::filesystem::path file() const { return folder_ / "Clipboard" / "history.sqlite"; }

  ClipboardEntry save(ClipboardStore& store, const ClipboardEntry& entry, const ClipboardLimits& limits,
                      double now = 1e6) {
    return store.save(entry, ClipboardPayload::text(entry.text), {}, limits, base::Date{now});
  }

  std::size_t rowsInFile() {
    testing::RawDatabase raw(file());
    return std::stoul(raw.single("SELECT count(*) FROM entries"));
  }

  static ClipboardError::Code failure(const std::function<void()>& action) {
    try {
      action();
    } catch (const ClipboardError& error) {
      return error.code();
    }
    ADD_FAILURE() << "no ClipboardError";
    return ClipboardError::Code::storage;
  }

  quillo::testing::TemporaryFolder folder_;
};

TEST(ClipboardStorePath, ARelativeDataHomeIsIgnored) {
  // A relative XDG_DATA_HOME would put the history in whatever folder the program started in.
  EXPECT_EQ(ClipboardStore::standardPath("relative/data", "/home/ana"),
            "/home/ana/.local/share/quillo/Clipboard/history.sqlite");
  EXPECT_EQ(ClipboardStore::standardPath("/srv/data", "/home/ana"),
            "/srv/data/quillo/Clipboard/history.sqlite");
}

TEST_F(ClipboardStoreTest, RepeatedCopyMovesTheDateKeepsTitleAndPinAndAddsATokenTag) {
  ClipboardStore store(file());
  const auto first = save(store, textEntry(1, "hello", 100), roomyLimits());
  store.rename(first.id, "Greeting");
  store.setPinned(first.id, true, base::Date{150});
  const auto again = save(store, textEntry(2, "hello", 200), roomyLimits());
  EXPECT_EQ(again.id, first.id);
  EXPECT_EQ(again.copiedAt, base::Date{200});
  EXPECT_EQ(again.title, "Greeting");
  EXPECT_TRUE(again.isPinned);
  EXPECT_EQ(again.pinnedAt, base::Date{150});
  EXPECT_EQ(store.count(), 1u);

  // A copy recognised as a token the second time gains the tag, and the tag's bytes are counted.
  const auto key = save(store, textEntry(3, "sk-abcdefghijklmnopqrstuvwx", 100), roomyLimits());
  ClipboardEntry token = textEntry(4, key.text.str(), 200);
  token.tags = {tokenTag()};
  const auto tokenAgain = save(store, token, roomyLimits());
  EXPECT_TRUE(tokenAgain.isToken());
  EXPECT_EQ(tokenAgain.byteCount - key.byteCount,
            static_cast<std::int64_t>(tagsJson(tokenAgain.tags).size() - tagsJson({}).size()));
  EXPECT_EQ(store.search("key", ClipboardFilter::all, 10), std::vector{tokenAgain});

  ClipboardStore reopened(file());
  EXPECT_EQ(reopened.entry(first.id), again);
  EXPECT_EQ(reopened.entry(key.id), tokenAgain);
}

TEST_F(ClipboardStoreTest, FingerprintIgnoresRepresentationOrderButNotItemOrder) {
  ClipboardStore store(file());
  const ClipboardPayload::Representation text{"public.utf8-plain-text", {'a'}};
  const ClipboardPayload::Representation html{"public.html", {'<', 'b', '>'}};
  const auto entry = [](int number) { return textEntry(number, "a", number); };
  store.save(entry(1), {{{text, html}, {html}}}, {}, roomyLimits(), base::Date{10});
  store.save(entry(2), {{{html, text}, {html}}}, {}, roomyLimits(), base::Date{10});
  EXPECT_EQ(store.count(), 1u);
  store.save(entry(3), {{{html}, {text, html}}}, {}, roomyLimits(), base::Date{10});
  EXPECT_EQ(store.count(), 2u);
}

TEST_F(ClipboardStoreTest, ByteCountCoversPayloadThumbnailTextsAndTags) {
  ClipboardStore store(file());
  ClipboardEntry entry = textEntry(1, "héllo", 1);
  entry.title = "Title";
  entry.imageText = "seen";
  entry.tags = {{ClipboardTag::Key::app, "Editor"}};
  const ClipboardPayload payload = ClipboardPayload::text("héllo");
  const auto saved = store.save(entry, payload, {1, 2, 3}, roomyLimits(), base::Date{1});
  const auto expected = payload.propertyList().size() + 3 + 6 + 5 + tagsJson(entry.tags).size() + 4;
  EXPECT_EQ(saved.byteCount, static_cast<std::int64_t>(expected));
  EXPECT_EQ(store.byteCount(), saved.byteCount);
  EXPECT_EQ(store.thumbnail(entry.id), (Bytes{1, 2, 3}));
  EXPECT_EQ(store.payload(entry.id), payload);
}

TEST_F(ClipboardStoreTest, CountLimitRemovesExactlyTheOldestUnpinnedInTheSameTransaction) {
  ClipboardLimits limits = roomyLimits();
  limits.count = 3;
  {
    ClipboardStore store(file());
    save(store, textEntry(1, "pinned oldest", 1, true), limits);
    save(store, textEntry(2, "second", 2), limits);
    save(store, textEntry(3, "third", 3), limits);
    // Copying "second" again makes it the newest, so the next copy removes "third".
    save(store, textEntry(7, "second", 5), limits);
    save(store, textEntry(4, "fourth", 6), limits);
    EXPECT_EQ(store.count(), 3u);
    EXPECT_TRUE(store.entry(idNumber(1)));
    EXPECT_TRUE(store.entry(idNumber(2)));
    EXPECT_FALSE(store.entry(idNumber(3)));
    EXPECT_EQ(rowsInFile(), 3u);
    store.setPinned(idNumber(1), false, base::Date{7});
  }
  // Unpinned, the oldest entry goes first, in a store loaded from the file as well.
  ClipboardStore reopened(file());
  save(reopened, textEntry(8, "eighth", 8), limits);
  EXPECT_FALSE(reopened.entry(idNumber(1)));
  EXPECT_TRUE(reopened.entry(idNumber(2)));
  EXPECT_EQ(rowsInFile(), 3u);
}

TEST_F(ClipboardStoreTest, AgeTokenLifetimeAndBytesChooseVictimsButNeverPinnedOnes) {
  ClipboardStore store(file());
  const double day = 86400;
  const double now = 100 * day;
  save(store, textEntry(1, "ancient pinned", now - 40 * day, true), roomyLimits(), now);
  save(store, textEntry(2, "ancient", now - 40 * day), roomyLimits(), now);
  ClipboardEntry oldToken = textEntry(3, "ghp_aaaaaaaaaaaaaaaaaaaaaaaa", now - 61 * 60);
  oldToken.tags = {tokenTag()};
  save(store, oldToken, roomyLimits(), now);
  ClipboardEntry pinnedToken = textEntry(4, "ghp_bbbbbbbbbbbbbbbbbbbbbbbb", now - 61 * 60, true);
  pinnedToken.tags = {tokenTag()};
  save(store, pinnedToken, roomyLimits(), now);
  ClipboardEntry freshToken = textEntry(5, "ghp_cccccccccccccccccccccccc", now - 59 * 60);
  freshToken.tags = {tokenTag()};
  save(store, freshToken, roomyLimits(), now);
  save(store, textEntry(6, "recent", now - 60), roomyLimits(), now);

  ClipboardLimits limits = roomyLimits();
  limits.retentionDays = 30;
  limits.tokenLifetime = 3600;
  store.prune(limits, base::Date{now});
  EXPECT_FALSE(store.entry(idNumber(2)));
  EXPECT_FALSE(store.entry(idNumber(3)));
  for (int kept : {1, 4, 5, 6})
    EXPECT_TRUE(store.entry(idNumber(kept))) << kept;

  // A byte budget that only the newest unpinned entry's removal cannot meet takes the older first.
  limits.bytes = store.byteCount() - 1;
  store.prune(limits, base::Date{now});
  EXPECT_FALSE(store.entry(idNumber(5)));
  EXPECT_TRUE(store.entry(idNumber(6)));
  EXPECT_EQ(rowsInFile(), 3u);
}

TEST_F(ClipboardStoreTest, FullWhenPinnedEntriesFillTheBudget) {
  ClipboardStore store(file());
  ClipboardLimits limits = roomyLimits();
  limits.count = 2;
  save(store, textEntry(1, "one", 1, true), limits);
  save(store, textEntry(2, "two", 2, true), limits);
  EXPECT_EQ(failure([&] { save(store, textEntry(3, "three", 3), limits); }), ClipboardError::Code::full);
  EXPECT_EQ(store.count(), 2u);
  EXPECT_EQ(rowsInFile(), 2u);

  // Copying a pinned entry again still records the copy, then reports that the history is full.
  limits.count = 1;
  EXPECT_EQ(failure([&] { save(store, textEntry(9, "one", 50), limits); }), ClipboardError::Code::full);
  EXPECT_EQ(store.entry(idNumber(1))->copiedAt, base::Date{50});

  limits = roomyLimits();
  limits.bytes = 10;
  EXPECT_EQ(failure([&] { save(store, textEntry(4, "far too large for ten bytes", 4), limits); }),
            ClipboardError::Code::full);
}

TEST_F(ClipboardStoreTest, AStorageLimitBeyondAnyDiskKeepsEveryCopy) {
  ClipboardStore store(file());
  // 2^43 megabytes is exactly 2^63 bytes: one past the largest byte count.
  for (const std::int64_t megabytes : {9'000'000'000'000LL, 8'796'093'022'208LL}) {
    const ClipboardLimits limits = ClipboardLimits::fromSettings(30, megabytes, false);
    save(store, textEntry(static_cast<int>(store.count()) + 1, "kept " + std::to_string(megabytes), 1e6),
         limits);
  }
  EXPECT_EQ(store.count(), 2u);
}

TEST_F(ClipboardStoreTest, FailedOrCancelledTransactionLeavesMemoryAndFileUnchanged) {
  ClipboardStore store(file());
  std::stop_source stop;
  stop.request_stop();
  EXPECT_THROW(store.save(textEntry(9, "late", 1), ClipboardPayload::text("late"), {}, roomyLimits(),
                          base::Date{1}, stop.get_token()),
               base::Cancelled);
  EXPECT_EQ(store.count(), 0u);
  EXPECT_EQ(rowsInFile(), 0u);

  ClipboardLimits limits = roomyLimits();
  limits.count = 2;
  save(store, textEntry(1, "first", 1), limits);
  save(store, textEntry(2, "second", 2), limits);
  const auto before = store.search("", ClipboardFilter::all, 10);
  {
    testing::RawDatabase raw(file());
    raw.exec("CREATE TRIGGER refuse BEFORE INSERT ON entries BEGIN SELECT RAISE(ABORT, 'refused'); END");
  }
  // The insert fails after the oldest entry's deletion ran in the same transaction.
  EXPECT_EQ(failure([&] { save(store, textEntry(3, "third", 3), limits); }), ClipboardError::Code::storage);
  EXPECT_EQ(store.search("", ClipboardFilter::all, 10), before);
  EXPECT_EQ(store.search("first", ClipboardFilter::all, 10).size(), 1u);
  EXPECT_EQ(rowsInFile(), 2u);

  {
    testing::RawDatabase raw(file());
    raw.exec(
        "CREATE TRIGGER keep BEFORE DELETE ON entries WHEN old.title = 'second' "
        "BEGIN SELECT RAISE(ABORT, 'kept'); END");
  }
  EXPECT_EQ(failure([&] { store.clear(true); }), ClipboardError::Code::storage);
  EXPECT_EQ(store.search("", ClipboardFilter::all, 10), before);
  EXPECT_EQ(rowsInFile(), 2u);
  // The same copy saves once the fault is gone, and the store still knows its fingerprints.
  {
    testing::RawDatabase raw(file());
    raw.exec("DROP TRIGGER refuse");
  }
  save(store, textEntry(3, "third", 3), limits);
  save(store, textEntry(7, "third", 4), limits);
  EXPECT_EQ(store.count(), 2u);
}

TEST_F(ClipboardStoreTest, RenameTrimsCutsAndIgnoresBlankTitles) {
  ClipboardStore store(file());
  const auto saved = save(store, textEntry(1, "body", 1), roomyLimits());
  store.rename(saved.id, "   \n");
  EXPECT_EQ(store.entry(saved.id)->title, "body");
  // 199 letters and an emoji made of several scalars: the 200th character is kept whole.
  const std::string family = "\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7";
  store.rename(saved.id, "  " + std::string(199, 'a') + family + std::string(50, 'b') + " ");
  const auto renamed = store.entry(saved.id);
  EXPECT_EQ(renamed->title, std::string(199, 'a') + family);
  EXPECT_EQ(renamed->byteCount, saved.byteCount + static_cast<std::int64_t>(renamed->title.size()) - 4);
  EXPECT_EQ(store.search(std::string(199, 'a'), ClipboardFilter::all, 5).size(), 1u);
  EXPECT_EQ(failure([&] { store.rename(idNumber(99), "x"); }), ClipboardError::Code::missingItem);
  EXPECT_EQ(ClipboardStore(file()).entry(saved.id), renamed);
}

TEST_F(ClipboardStoreTest, RecognisedTextKeepsWholeCharactersWithinTheBudget) {
  ClipboardStore store(file());
  ClipboardEntry image = textEntry(1, "", 1);
  image.kind = ClipboardKind::image;
  const auto saved = save(store, image, roomyLimits());
  EXPECT_EQ(store.imagesWithoutText(), std::vector<base::Uuid>{saved.id});
  ClipboardLimits limits = roomyLimits();
  limits.bytes = store.byteCount() + 9;
  // "ab" and three two-byte letters fill 8 of the 9 free bytes; half of the fourth is never kept.
  store.setImageText(saved.id, "abéééé", limits);
  EXPECT_EQ(store.entry(saved.id)->imageText, "abééé");
  EXPECT_EQ(store.entry(saved.id)->byteCount, saved.byteCount + 8);
  EXPECT_TRUE(store.imagesWithoutText().empty());
  // With no room left the text is empty, so the image is not offered again.
  store.setImageText(saved.id, "zzzzzzzzzzzzzzzzzzzz", {.bytes = store.byteCount() - 8});
  EXPECT_EQ(store.entry(saved.id)->imageText, "");
  EXPECT_EQ(ClipboardStore(file()).entry(saved.id)->imageText, "");
}

TEST_F(ClipboardStoreTest, PinningDeletingAndClearingChangeOnlyWhatTheySay) {
  ClipboardStore store(file());
  save(store, textEntry(1, "one", 1), roomyLimits());
  save(store, textEntry(2, "two", 2), roomyLimits());
  store.setPinned(idNumber(1), true, base::Date{5});
  store.setPinned(idNumber(1), true, base::Date{9});
  EXPECT_EQ(store.entry(idNumber(1))->pinnedAt, base::Date{5});
  EXPECT_EQ(store.search("", ClipboardFilter::all, 1).front().id, idNumber(1));
  store.setPinned(idNumber(1), false, base::Date{9});
  EXPECT_EQ(store.entry(idNumber(1))->pinnedAt, std::nullopt);
  EXPECT_EQ(failure([&] { store.setPinned(idNumber(3), true, base::Date{1}); }),
            ClipboardError::Code::missingItem);

  store.remove({idNumber(2), idNumber(42)});
  EXPECT_EQ(store.count(), 1u);
  EXPECT_EQ(failure([&] { store.payload(idNumber(2)); }), ClipboardError::Code::missingItem);
  EXPECT_EQ(store.thumbnail(idNumber(2)), std::nullopt);
  EXPECT_EQ(ClipboardStore(file()).entry(idNumber(1)), store.entry(idNumber(1)));

  // Clearing without the pinned keeps them and their fingerprints, and forgets the others'.
  save(store, textEntry(3, "drop me", 3), roomyLimits());
  store.setPinned(idNumber(1), true, base::Date{10});
  store.clear(false);
  EXPECT_EQ(store.count(), 1u);
  EXPECT_EQ(save(store, textEntry(4, "one", 4), roomyLimits()).id, idNumber(1));
  EXPECT_EQ(save(store, textEntry(5, "drop me", 5), roomyLimits()).id, idNumber(5));
  store.clear(true);
  EXPECT_EQ(store.count(), 0u);
  EXPECT_EQ(rowsInFile(), 0u);
}

TEST_F(ClipboardStoreTest, DamagedRowFailsTheWholeLoad) {
  { ClipboardStore store(file()); }
  {
    testing::RawDatabase raw(file());
    raw.exec(
        "INSERT INTO entries VALUES('E621E1F8-C36C-495A-93FC-0C247A3E6E5F','f','t','t','video','','',1,0,1,"
        "x'00',x'','[]',NULL,NULL)");
  }
  EXPECT_THROW(ClipboardStore store(file()), ClipboardError);
}

}  // namespace
}  // namespace quillo::clipboard
