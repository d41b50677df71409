// The clipboard history at its full size: 10,000 entries (90% short text, 9% texts of 4 to
// 64 KB, 1% images of up to 1 MB). Measures opening the store with loading its index, a search
// per keystroke (word prefixes and one-typo words) beside SQLite FTS5 prefix queries over the same
// texts, and a save (with eviction and index update) beside a plain SQLite insert of the same row.
// Prints Markdown. Usage: quillo-bench-clipboard [WORK_FOLDER]

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "quillo/clipboard/clipboard_database.h"
#include "quillo/clipboard/clipboard_store.h"

namespace {

namespace fs = std::filesystem;
using namespace quillo;
using clipboard::ClipboardEntry;
using clipboard::ClipboardKind;
using clipboard::ClipboardPayload;
using Clock = std::chrono::steady_clock;

constexpr int kEntries = 10'000;
constexpr double kNow = 1.8e9;

// Words shaped like a language: syllables, drawn with a Zipf-like skew so that a few are common.
class Words {
 public:
  explicit Words(std::mt19937_64& random) : random_(random) {
    const std::vector<std::string> syllables{
        "ka", "lo", "mi", "ten", "ra",  "vu", "sel", "dor", "pi",  "an",  "qu",  "es", "tor", "ni",  "ble",
        "co", "de", "fi", "gra", "hul", "ix", "jo",  "mer", "nov", "ost", "pra", "ri", "sun", "tri", "ul"};
    std::uniform_int_distribution<std::size_t> count(1, 4);
    std::uniform_int_distribution<std::size_t> pick(0, syllables.size() - 1);
    while (vocabulary_.size() < 20'000) {
      std::string word;
      for (std::size_t index = count(random_); index > 0; --index)
        word += syllables[pick(random_)];
      vocabulary_.push_back(word);
    }
  }

  const std::string& next() {
    // Rank r is drawn with probability about 1/r.
    const double u = std::uniform_real_distribution<double>(0, 1)(random_);
    const auto rank = static_cast<std::size_t>(std::pow(static_cast<double>(vocabulary_.size()), u)) - 1;
    return vocabulary_[std::min(rank, vocabulary_.size() - 1)];
  }

  std::string text(std::size_t bytes) {
    std::string text;
    while (text.size() < bytes) {
      if (!text.empty()) text += (text.size() % 11 == 0) ? "\n" : " ";
      text += next();
    }
    return text;
  }

  const std::vector<std::string>& vocabulary() const { return vocabulary_; }

 private:
  std::mt19937_64& random_;
  std::vector<std::string> vocabulary_;
};

struct Row {
  ClipboardEntry entry;
  ClipboardPayload payload;
};

base::Uuid idOf(std::uint64_t number) {
  base::Uuid id;
  for (int index = 0; index < 8; ++index)
    id.bytes[15 - index] = static_cast<std::uint8_t>(number >> (8 * index));
  id.bytes[0] = 0xC1;
  return id;
}

Row makeRow(int number, Words& words, std::mt19937_64& random) {
  ClipboardEntry::Fields fields{
      .id = idOf(number), .sourceAppID = "com.example.editor", .sourceAppName = "Editor"};
  fields.copiedAt = base::Date{kNow - (kEntries - number) * 60.0};
  ClipboardPayload payload;
  const int slot = number % 100;
  if (slot == 0) {
    // 1% images: payload bytes up to 1 MB, no text.
    const auto size = std::uniform_int_distribution<std::size_t>(256 * 1024, 1024 * 1024)(random);
    clipboard::Bytes bytes(size);
    for (auto& byte : bytes)
      byte = static_cast<std::uint8_t>(random());
    payload.items.push_back({{"public.png", std::move(bytes)}});
    fields.kind = ClipboardKind::image;
    fields.title = "Image · 1280 × 800";
  } else {
    const std::size_t size = slot <= 9 ? std::uniform_int_distribution<std::size_t>(4096, 65536)(random)
                                       : std::uniform_int_distribution<std::size_t>(10, 200)(random);
    const std::string text = words.text(size) + " n" + std::to_string(number);
    fields.title = text.substr(0, std::min<std::size_t>(text.find('\n'), 160));
    fields.text = text;
    payload = ClipboardPayload::text(text);
  }
  return {ClipboardEntry(std::move(fields)), std::move(payload)};
}

class RawDatabase {
 public:
  explicit RawDatabase(const fs::path& file) {
    if (sqlite3_open(file.c_str(), &handle_) != SQLITE_OK)
      throw std::runtime_error("cannot open " + file.string());
  }
  ~RawDatabase() { sqlite3_close(handle_); }
  void exec(const std::string& sql) {
    if (sqlite3_exec(handle_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
      throw std::runtime_error(std::string(sqlite3_errmsg(handle_)) + " in " + sql);
    }
  }
  sqlite3_stmt* prepare(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(handle_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
      throw std::runtime_error(std::string(sqlite3_errmsg(handle_)) + " in " + sql);
    }
    return statement;
  }

 private:
  sqlite3* handle_ = nullptr;
};

// Binds and inserts one row as the store does (the same fifteen values).
void insertRow(RawDatabase& database, sqlite3_stmt* insert, const Row& row, const std::string& fingerprint) {
  const ClipboardEntry& entry = row.entry;
  const clipboard::Bytes plist = row.payload.propertyList();
  const std::string tags = clipboard::tagsJson(entry.tags);
  const std::string id = entry.id.text();
  const std::string kind(rawValue(entry.kind));
  const auto bytes =
      static_cast<std::int64_t>(plist.size() + entry.text.size() + entry.title.size() + tags.size());
  sqlite3_reset(insert);
  sqlite3_bind_text(insert, 1, id.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(insert, 2, fingerprint.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(insert, 3, entry.title.data(), static_cast<int>(entry.title.size()), SQLITE_TRANSIENT);
  sqlite3_bind_text(insert, 4, entry.text.data(), static_cast<int>(entry.text.size()), SQLITE_TRANSIENT);
  sqlite3_bind_text(insert, 5, kind.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(insert, 6, entry.sourceAppID.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(insert, 7, entry.sourceAppName.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_double(insert, 8, entry.copiedAt.secondsSince1970);
  sqlite3_bind_int(insert, 9, 0);
  sqlite3_bind_int64(insert, 10, bytes);
  sqlite3_bind_blob(insert, 11, plist.data(), static_cast<int>(plist.size()), SQLITE_TRANSIENT);
  sqlite3_bind_zeroblob(insert, 12, 0);
  sqlite3_bind_text(insert, 13, tags.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_null(insert, 14);
  sqlite3_bind_null(insert, 15);
  if (sqlite3_step(insert) != SQLITE_DONE) throw std::runtime_error("insert failed");
  (void)database;
}

std::string fingerprintOf(std::uint64_t number) {
  char text[65];
  std::snprintf(text, sizeof text, "%064llx", static_cast<unsigned long long>(number));
  return text;
}

struct Summary {
  double p50 = 0;
  double p99 = 0;
  double max = 0;
  std::size_t count = 0;
};

Summary summarise(std::vector<double> microseconds) {
  std::sort(microseconds.begin(), microseconds.end());
  const auto at = [&](double q) {
    return microseconds[std::min(microseconds.size() - 1, static_cast<std::size_t>(q * microseconds.size()))];
  };
  return {at(0.5), at(0.99), microseconds.back(), microseconds.size()};
}

double since(Clock::time_point start) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// Every query typed one key at a time: each prefix is a search of its own.
std::vector<std::string> keystrokes(const std::vector<std::string>& queries) {
  std::vector<std::string> typed;
  for (const std::string& query : queries) {
    for (std::size_t length = 1; length <= query.size(); ++length)
      typed.push_back(query.substr(0, length));
  }
  return typed;
}

// One edit away: a swap, a missing letter or a replaced letter, in turn.
std::string withTypo(const std::string& word, int which) {
  std::string typo = word;
  const std::size_t at = 1 + static_cast<std::size_t>(which) % (word.size() - 2);
  switch (which % 3) {
    case 0:
      std::swap(typo[at], typo[at + 1]);
      break;
    case 1:
      typo.erase(at, 1);
      break;
    default:
      typo[at] = typo[at] == 'x' ? 'y' : 'x';
  }
  return typo;
}

}  // namespace

int main(int argc, char** argv) {
  const fs::path work = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "quillo-bench-clipboard";
  fs::remove_all(work);
  fs::create_directories(work);
  const fs::path file = work / "history.sqlite";

  std::mt19937_64 random(20261205);
  Words words(random);
  std::vector<Row> rows;
  rows.reserve(kEntries);
  std::size_t textBytes = 0;
  std::size_t payloadBytes = 0;
  for (int number = 0; number < kEntries; ++number) {
    rows.push_back(makeRow(number, words, random));
    textBytes += rows.back().entry.text.size();
    payloadBytes += static_cast<std::size_t>(rows.back().payload.byteCount());
  }
  {
    // The schema comes from the store itself; the rows go in as one transaction.
    { clipboard::ClipboardStore create(file); }
    RawDatabase raw(file);
    raw.exec("BEGIN");
    sqlite3_stmt* insert = raw.prepare("INSERT INTO entries VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    for (std::size_t index = 0; index < rows.size(); ++index)
      insertRow(raw, insert, rows[index], fingerprintOf(index));
    sqlite3_finalize(insert);
    raw.exec("COMMIT");
  }
  std::printf("## Clipboard history: %d entries\n\n", kEntries);
  std::printf("- texts: %.1f MB in all; payloads: %.1f MB; database file: %.1f MB\n", textBytes / 1048576.0,
              payloadBytes / 1048576.0, fs::file_size(file) / 1048576.0);
  std::printf("- mix: 90%% texts of 10-200 bytes, 9%% texts of 4-64 KB, 1%% images of 256 KB-1 MB\n\n");

  // Opening and loading, file in the page cache as after any earlier start.
  std::printf(
      "### Opening the store and loading the index\n\n| threads | median (ms) | max (ms) "
      "|\n|---:|---:|---:|\n");
  for (const unsigned threads : {1u, clipboard::ClipboardStore::defaultLoadThreads()}) {
    std::vector<double> times;
    for (int run = 0; run < 7; ++run) {
      const auto start = Clock::now();
      clipboard::ClipboardStore store(file, threads);
      times.push_back(since(start) / 1000);
      if (store.count() != kEntries) throw std::runtime_error("the store did not load every entry");
    }
    const Summary summary = summarise(times);
    std::printf("| %u | %.1f | %.1f |\n", threads, summary.p50, summary.max);
  }
  {
    // The rows alone, without the index: what SQLite's part of the start costs.
    std::vector<double> times;
    for (int run = 0; run < 7; ++run) {
      const auto start = Clock::now();
      clipboard::ClipboardDatabase database(file);
      if (database.loadEntries().size() != kEntries) throw std::runtime_error("the rows did not load");
      times.push_back(since(start) / 1000);
    }
    const Summary summary = summarise(times);
    std::printf("| rows only, no index | %.1f | %.1f |\n", summary.p50, summary.max);
  }

  clipboard::ClipboardStore store(file);
  // Queries: words of every frequency, typed one key at a time.
  std::vector<std::string> queries;
  for (std::size_t rank : {0, 1, 3, 10, 30, 100, 300, 1000, 3000, 10000}) {
    for (std::size_t offset = 0; offset < 5; ++offset)
      queries.push_back(words.vocabulary()[rank + offset * 7]);
  }
  const std::vector<std::string> typed = keystrokes(queries);
  std::vector<std::string> typos;
  for (std::size_t index = 0; index < queries.size(); ++index) {
    if (queries[index].size() >= 4) typos.push_back(withTypo(queries[index], static_cast<int>(index)));
  }

  const auto timeSearches = [&](const std::vector<std::string>& list, std::size_t& matches) {
    std::vector<double> times;
    matches = 0;
    for (int round = 0; round < 3; ++round) {
      for (const std::string& query : list) {
        const auto start = Clock::now();
        matches += store.search(query, clipboard::ClipboardFilter::all, 50).size();
        times.push_back(since(start));
      }
    }
    return summarise(times);
  };
  std::size_t prefixMatches = 0;
  std::size_t typoMatches = 0;
  const Summary prefixes = timeSearches(typed, prefixMatches);
  const Summary typoSummary = timeSearches(typos, typoMatches);

  // The same texts in an FTS5 table, asked the same prefixes.
  Summary fts;
  {
    RawDatabase raw(work / "fts.sqlite");
    raw.exec("CREATE VIRTUAL TABLE fts USING fts5(title, text)");
    raw.exec("BEGIN");
    sqlite3_stmt* insert = raw.prepare("INSERT INTO fts(rowid, title, text) VALUES(?,?,?)");
    for (std::size_t index = 0; index < rows.size(); ++index) {
      sqlite3_reset(insert);
      sqlite3_bind_int64(insert, 1, static_cast<sqlite3_int64>(index));
      sqlite3_bind_text(insert, 2, rows[index].entry.title.c_str(), -1, SQLITE_TRANSIENT);
      const std::string_view text = rows[index].entry.text;
      sqlite3_bind_text(insert, 3, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
      sqlite3_step(insert);
    }
    sqlite3_finalize(insert);
    raw.exec("COMMIT");
    sqlite3_stmt* query = raw.prepare("SELECT rowid FROM fts WHERE fts MATCH ? ORDER BY rank LIMIT 50");
    std::vector<double> times;
    for (int round = 0; round < 3; ++round) {
      for (const std::string& prefix : typed) {
        const std::string match = "\"" + prefix + "\"*";
        const auto start = Clock::now();
        sqlite3_reset(query);
        sqlite3_bind_text(query, 1, match.c_str(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(query) == SQLITE_ROW) {
        }
        times.push_back(since(start));
      }
    }
    sqlite3_finalize(query);
    fts = summarise(times);
  }
  std::printf("\n### A search per keystroke (limit 50)\n\n");
  std::printf("| searches | count | p50 (µs) | p99 (µs) | max (µs) |\n|---|---:|---:|---:|---:|\n");
  std::printf("| ClipboardSearchIndex, prefixes typed key by key | %zu | %.0f | %.0f | %.0f |\n",
              prefixes.count, prefixes.p50, prefixes.p99, prefixes.max);
  std::printf("| ClipboardSearchIndex, one-typo words | %zu | %.0f | %.0f | %.0f |\n", typoSummary.count,
              typoSummary.p50, typoSummary.p99, typoSummary.max);
  std::printf("| SQLite FTS5 `\"prefix\"*` ORDER BY rank, same prefixes | %zu | %.0f | %.0f | %.0f |\n",
              fts.count, fts.p50, fts.p99, fts.max);
  std::printf("\n(typo searches found %zu results in all: typos are matched, not dropped)\n", typoMatches);

  // Saving at the count limit: every save removes the oldest entry in its transaction.
  clipboard::ClipboardLimits limits{
      .retentionDays = 100000, .bytes = std::int64_t{4} << 30, .count = kEntries, .tokenLifetime = 3600};
  constexpr int kSaves = 200;
  std::vector<double> saves;
  std::vector<double> inserts;
  {
    RawDatabase plain(work / "plain.sqlite");
    plain.exec("PRAGMA journal_mode = DELETE");
    plain.exec(
        "CREATE TABLE entries (id TEXT PRIMARY KEY, fingerprint TEXT NOT NULL UNIQUE, title TEXT NOT NULL, "
        "text TEXT "
        "NOT NULL, kind TEXT NOT NULL, app_id TEXT NOT NULL, app_name TEXT NOT NULL, copied_at REAL NOT "
        "NULL, pinned "
        "INTEGER NOT NULL, bytes INTEGER NOT NULL, payload BLOB NOT NULL, thumbnail BLOB NOT NULL, tags TEXT "
        "NOT NULL "
        "DEFAULT '[]', pinned_at REAL, image_text TEXT)");
    plain.exec("BEGIN");
    sqlite3_stmt* insert = plain.prepare("INSERT INTO entries VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    for (std::size_t index = 0; index < rows.size(); ++index)
      insertRow(plain, insert, rows[index], fingerprintOf(index));
    plain.exec("COMMIT");
    for (int index = 0; index < kSaves; ++index) {
      Row row = makeRow(kEntries + 1 + index, words, random);
      row.entry.copiedAt = base::Date{kNow + index};
      // Alternate, so that neither always follows the other on the disk.
      const auto timeSave = [&] {
        const auto start = Clock::now();
        store.save(row.entry, row.payload, {}, limits, base::Date{kNow + index});
        saves.push_back(since(start));
      };
      const auto timeInsert = [&] {
        const auto start = Clock::now();
        plain.exec("BEGIN IMMEDIATE");
        insertRow(plain, insert, row, fingerprintOf(kEntries + 1 + index));
        plain.exec("COMMIT");
        inserts.push_back(since(start));
      };
      if (index % 2 == 0) {
        timeSave();
        timeInsert();
      } else {
        timeInsert();
        timeSave();
      }
    }
    sqlite3_finalize(insert);
  }
  const Summary save = summarise(saves);
  const Summary insert = summarise(inserts);
  std::printf("\n### Saving a copy at the count limit (eviction + index) vs a plain insert\n\n");
  std::printf("| operation | count | p50 (µs) | p99 (µs) |\n|---|---:|---:|---:|\n");
  std::printf("| ClipboardStore::save (deletes the oldest, inserts, indexes) | %zu | %.0f | %.0f |\n",
              save.count, save.p50, save.p99);
  std::printf("| plain INSERT in its own transaction, same row, same journal mode | %zu | %.0f | %.0f |\n",
              insert.count, insert.p50, insert.p99);
  std::printf("\nsave / insert at the median: %.2f\n", save.p50 / insert.p50);
  if (store.count() != kEntries) throw std::runtime_error("saving at the limit changed the count");
  fs::remove_all(work);
  return 0;
}
