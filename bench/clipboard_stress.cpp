// Crash safety of the clipboard history. `write` saves numbered copies as fast as it can and
// records each save's number once save() returned; scripts/stress-clipboard kills it with
// SIGKILL at random moments. `check` then opens the file as the app would and verifies it.
//
//   quillo-stress-clipboard write FILE ACKS
//   quillo-stress-clipboard check FILE ACKS
//
// Copies are saved at a count limit, so every save also deletes the oldest entry in its own
// transaction: an insert without its deletion, or the reverse, would be visible as a wrong count.

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <limits>
#include <map>
#include <string>

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

int write(const std::string& file, const std::string& acks) {
  clipboard::ClipboardStore store(file);
  long next = 0;
  for (const ClipboardEntry& entry :
       store.search("", clipboard::ClipboardFilter::all, std::numeric_limits<std::size_t>::max())) {
    next = std::max(next, numberOf(entry.id) + 1);
  }
  const int log = ::open(acks.c_str(), O_WRONLY | O_APPEND | O_CREAT, 0600);
  if (log < 0) return 1;
  for (;; ++next) {
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

int check(const std::string& file, const std::string& acks) {
  {
    sqlite3* raw = nullptr;
    sqlite3_open(file.c_str(), &raw);
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(raw, "PRAGMA integrity_check", -1, &statement, nullptr);
    std::string result;
    while (sqlite3_step(statement) == SQLITE_ROW)
      result += reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    sqlite3_close(raw);
    if (result != "ok") return fail("integrity_check says " + result);
  }
  clipboard::ClipboardStore store(file);
  const long acked = lastAcknowledged(acks);
  std::map<long, ClipboardEntry> present;
  for (ClipboardEntry& entry :
       store.search("", clipboard::ClipboardFilter::all, std::numeric_limits<std::size_t>::max())) {
    present.emplace(numberOf(entry.id), std::move(entry));
  }
  if (acked < 0 && present.empty()) return 0;
  if (present.empty()) return fail("every entry is gone");
  const long newest = present.rbegin()->first;
  // At most one save can have committed without being acknowledged: the one being killed.
  if (newest != acked && newest != acked + 1) {
    return fail("newest entry " + std::to_string(newest) + " after acknowledging " + std::to_string(acked));
  }
  // Exactly the newest kCount copies, no gaps: each insert went with its eviction.
  const long expected = std::min<long>(kCount, newest + 1);
  if (static_cast<long>(present.size()) != expected || present.begin()->first != newest - expected + 1) {
    return fail(std::to_string(present.size()) + " entries from " + std::to_string(present.begin()->first) +
                " to " + std::to_string(newest));
  }
  for (const auto& [number, entry] : present) {
    if (entry.text != textOf(number)) return fail("entry " + std::to_string(number) + " has another text");
    if (store.payload(entry.id).plainText() != entry.text)
      return fail("payload of " + std::to_string(number));
  }
  // The loaded index answers from the same rows: each copy's own word finds it, and only it.
  for (const auto& [number, entry] : present) {
    if (number % 7 != 0) continue;
    const auto found = store.search("u" + std::to_string(number), clipboard::ClipboardFilter::all, 3);
    if (found.empty() || found.front().id != entry.id) return fail("index misses " + std::to_string(number));
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
