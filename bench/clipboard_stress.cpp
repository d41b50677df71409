// Crash safety of the clipboard history. `write` runs a fixed sequence of changes as fast as it
// can: each step first pins, unpins, renames, deletes, clears or saves an image and sets its
// recognised text, then saves a numbered copy and records the copy's number once save()
// returned. scripts/stress-clipboard kills it with SIGKILL at random moments. `check` then opens
// the file as the app would and verifies it against the table read with SQL.
//
//   quillo-stress-clipboard write FILE ACKS
//   quillo-stress-clipboard check FILE ACKS
//
// Copies are saved at a count limit, so saves also delete the oldest entries in their own
// transaction.

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "quillo/clipboard/clipboard_error.h"
#include "quillo/clipboard/clipboard_store.h"

namespace {

using namespace quillo;
using clipboard::ClipboardEntry;

constexpr std::int64_t kCount = 300;

base::Uuid idOf(long number) {
  base::Uuid id;
  for (int index = 0; index < 8; ++index)
    id.bytes[15 - index] = static_cast<std::uint8_t>(number >> (8 * index));
  id.bytes[0] = 0x5A;
  return id;
}

long numberOf(const base::Uuid& id) {
  long number = 0;
  for (int index = 8; index < 16; ++index)
    number = (number << 8) | id.bytes[index];
  return number;
}

// The text of copy n: a word of its own for the index check, and enough bytes to span pages.
std::string textOf(long number) {
  std::string text = "copy u" + std::to_string(number) + " ";
  for (long index = 0; index < 40 + number % 300; ++index)
    text += "filler" + std::to_string((number * 31 + index) % 97) + " ";
  return text;
}

clipboard::ClipboardLimits limits() {
  return {.retentionDays = 100000,
          .bytes = std::int64_t{1} << 40,
          .count = kCount,
          .tokenLifetime = std::nullopt};
}

long lastAcknowledged(const std::string& acks) {
  std::ifstream in(acks);
  long number = -1;
  long last = -1;
  while (in >> number)
    last = std::max(last, number);
  return last;
}

// Image entries carry the step's number with a marker byte of their own.
base::Uuid imageIdOf(long number) {
  base::Uuid id = idOf(number);
  id.bytes[1] = 0x1A;
  return id;
}
bool isImage(const base::Uuid& id) {
  return id.bytes[1] == 0x1A;
}

// Every 97th step clears the unpinned entries before its copy.
constexpr long kClearEvery = 97;

// The change step `number` makes before saving its copy. Ids that are gone are skipped.
void change(clipboard::ClipboardStore& store, long number) {
  const base::Date now{1e9 + static_cast<double>(number)};
  const auto ignoringMissing = [](auto run) {
    try {
      run();
    } catch (const clipboard::ClipboardError& error) {
      if (error.code() != clipboard::ClipboardError::Code::missingItem) throw;
    }
  };
  if (number % kClearEvery == 0 && number > 0) {
    store.clear(false);
    return;
  }
  switch (number % 5) {
    case 1:
      ignoringMissing([&] { store.setPinned(idOf(number - 3), true, now); });
      ignoringMissing([&] { store.setPinned(idOf(number - 53), false, now); });
      break;
    case 2:
      ignoringMissing([&] {
        store.rename(idOf(number - 2),
                     "renamed u" + std::to_string(number - 2) + " r" + std::to_string(number));
      });
      break;
    case 3:
      store.remove({idOf(number - 4)});
      break;
    case 4: {
      const std::string word = "i" + std::to_string(number);
      const clipboard::Bytes pixels(64 + number % 512, static_cast<std::uint8_t>(number));
      store.save(ClipboardEntry({.id = imageIdOf(number),
                                 .title = "Image " + word,
                                 .kind = clipboard::ClipboardKind::image,
                                 .copiedAt = now}),
                 clipboard::ClipboardPayload{{{{"public.png", pixels}}}}, {}, limits(), now);
      ignoringMissing([&] { store.setImageText(imageIdOf(number), "image text " + word, limits()); });
      break;
    }
    default:
      break;
  }
}

int write(const std::string& file, const std::string& acks) {
  clipboard::ClipboardStore store(file);
  long next = std::max(0L, lastAcknowledged(acks) + 1);
  for (const ClipboardEntry& entry :
       store.search("", clipboard::ClipboardFilter::all, std::numeric_limits<std::size_t>::max())) {
    next = std::max(next, numberOf(entry.id) + 1);
  }
  const int log = ::open(acks.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0600);
  if (log < 0) return 1;
  for (;; ++next) {
    change(store, next);
    const std::string text = textOf(next);
    const ClipboardEntry entry({.id = idOf(next),
                                .title = text.substr(0, 40),
                                .text = text,
                                .copiedAt = base::Date{1e9 + static_cast<double>(next)}});
    store.save(entry, clipboard::ClipboardPayload::text(text), {}, limits(),
               base::Date{1e9 + static_cast<double>(next)});
    // Acknowledged: save() returned. The line reaches the kernel before the next save starts.
    const std::string line = std::to_string(next) + "\n";
    if (::write(log, line.data(), line.size()) != static_cast<ssize_t>(line.size())) return 1;
  }
}

int fail(const std::string& why) {
  std::fprintf(stderr, "check failed: %s\n", why.c_str());
  return 1;
}

// The rows as SQLite holds them: id, title, pinned, image text.
struct Row {
  std::string title;
  bool pinned = false;
  std::optional<std::string> imageText{};
};

std::string integrity(sqlite3* db) {
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &statement, nullptr);
  std::string result;
  while (sqlite3_step(statement) == SQLITE_ROW)
    result += reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
  sqlite3_finalize(statement);
  return result;
}

std::unordered_map<base::Uuid, Row> tableRows(sqlite3* db) {
  std::unordered_map<base::Uuid, Row> rows;
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, "SELECT id, title, pinned, image_text FROM entries", -1, &statement, nullptr);
  while (sqlite3_step(statement) == SQLITE_ROW) {
    const auto text = [&](int column) {
      return std::string(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)));
    };
    Row row{.title = text(1), .pinned = sqlite3_column_int(statement, 2) != 0};
    if (sqlite3_column_type(statement, 3) != SQLITE_NULL) row.imageText = text(3);
    if (const auto id = base::Uuid::parse(text(0))) rows.emplace(*id, std::move(row));
  }
  sqlite3_finalize(statement);
  return rows;
}

// The words that must find an entry: its copy's own word, the rename's and the image text's.
std::vector<std::string> ownWords(const ClipboardEntry& entry) {
  const long number = numberOf(entry.id);
  std::vector<std::string> words;
  if (isImage(entry.id)) {
    words.push_back("i" + std::to_string(number));
  } else {
    words.push_back("u" + std::to_string(number));
  }
  if (const auto r = entry.title.find(" r"); entry.title.starts_with("renamed ") && r != std::string::npos)
    words.push_back(entry.title.substr(r + 1));
  return words;
}

int check(const std::string& file, const std::string& acks) {
  std::unordered_map<base::Uuid, Row> rows;
  {
    sqlite3* raw = nullptr;
    sqlite3_open(file.c_str(), &raw);
    const std::string result = integrity(raw);
    if (result == "ok") rows = tableRows(raw);
    sqlite3_close(raw);
    if (result != "ok") return fail("integrity_check says " + result);
  }
  clipboard::ClipboardStore store(file);
  const long acked = lastAcknowledged(acks);
  std::unordered_map<base::Uuid, ClipboardEntry> loaded;
  for (ClipboardEntry& entry :
       store.search("", clipboard::ClipboardFilter::all, std::numeric_limits<std::size_t>::max())) {
    loaded.emplace(entry.id, std::move(entry));
  }
  // The whole loaded index is the table: the same entries with the same titles, pins and texts.
  if (loaded.size() != rows.size())
    return fail(std::to_string(loaded.size()) + " entries loaded from " + std::to_string(rows.size()) +
                " rows");
  for (const auto& [id, entry] : loaded) {
    const auto row = rows.find(id);
    if (row == rows.end()) return fail("entry " + id.text() + " has no row");
    if (row->second.title != entry.title || row->second.pinned != entry.isPinned ||
        row->second.imageText != entry.imageText)
      return fail("entry " + id.text() + " differs from its row");
  }
  if (static_cast<long>(std::count_if(loaded.begin(), loaded.end(),
                                      [](const auto& e) { return !e.second.isPinned; })) > kCount)
    return fail("more unpinned entries than the count limit");
  long newest = -1;
  for (const auto& [id, entry] : loaded) {
    if (isImage(id)) continue;
    const long number = numberOf(id);
    newest = std::max(newest, number);
    if (entry.text != textOf(number)) return fail("entry " + std::to_string(number) + " has another text");
    if (store.payload(id).plainText() != entry.text) return fail("payload of " + std::to_string(number));
  }
  // At most one save can have committed without being acknowledged: the one being killed. Only
  // a clear after the last acknowledged copy may have taken it.
  const bool clearedAfter = (acked + 1) % kClearEvery == 0;
  if (acked >= 0 && !clearedAfter && newest != acked && newest != acked + 1) {
    return fail("newest copy " + std::to_string(newest) + " after acknowledging " + std::to_string(acked));
  }
  // Every entry is found by its own words, and no search finds anything the table lost.
  for (const auto& item : loaded) {
    // Named, not a structured binding, so that the lambda below may capture it.
    const auto& id = item.first;
    for (const std::string& word : ownWords(item.second)) {
      const auto found = store.search(word, clipboard::ClipboardFilter::all, 50);
      if (std::none_of(found.begin(), found.end(), [&](const ClipboardEntry& hit) { return hit.id == id; }))
        return fail("the index does not find " + word);
    }
  }
  for (long number = std::max(0L, newest - 2 * kCount); number <= newest + 1; ++number) {
    for (const std::string& word : {"u" + std::to_string(number), "i" + std::to_string(number)}) {
      for (const ClipboardEntry& hit : store.search(word, clipboard::ClipboardFilter::all, 5)) {
        if (!rows.contains(hit.id))
          return fail("the index finds " + word + ", which the table no longer holds");
      }
    }
  }
  std::printf("%ld %ld\n", acked, newest);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: quillo-stress-clipboard write|check FILE ACKS\n");
    return 2;
  }
  const std::string mode = argv[1];
  try {
    if (mode == "write") return write(argv[2], argv[3]);
    if (mode == "check") return check(argv[2], argv[3]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", mode.c_str(), error.what());
    return 1;
  }
  return 2;
}
