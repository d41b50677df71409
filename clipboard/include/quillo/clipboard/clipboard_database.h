#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "quillo/clipboard/clipboard_entry.h"
#include "quillo/clipboard/clipboard_payload.h"

struct sqlite3;
struct sqlite3_stmt;

namespace quillo::clipboard {

// The history's SQLite file: one table, `entries`, with every entry, its payload and thumbnail.
// Opens (creating and migrating as needed), runs parameterised statements and maps rows; it keeps
// no cache and makes no decisions, the store does. Every SQLite failure is ClipboardError::storage.
// Not thread-safe by itself: its one owner, the store, runs one call at a time.
class ClipboardDatabase {
 public:
  struct Null {
    bool operator==(const Null&) const = default;
  };
  // A statement parameter. An empty blob is bound as a zero-length blob, never as NULL.
  using Value = std::variant<Null, std::string, std::int64_t, double, Bytes>;

  // The current statement's row, for mapping; valid only during the call it is passed to.
  class Row {
   public:
    explicit Row(sqlite3_stmt* statement) : statement_(statement) {}
    // UTF-8 with ill-formed sequences replaced; NULL reads as "".
    std::string text(int column) const;
    std::int64_t integer(int column) const;
    double real(int column) const;
    // NULL and zero-length blobs read as no bytes.
    Bytes blob(int column) const;
    bool isNull(int column) const;

   private:
    sqlite3_stmt* statement_;
  };

  // A row of the history as loaded, with the fingerprint the store keys repeated copies by.
  struct StoredEntry {
    ClipboardEntry entry;
    std::string fingerprint;
  };

  static constexpr int kVersion = 4;
  static constexpr int kBusyTimeoutMilliseconds = 2000;

  // Opens or creates the file: its folder private to the user (0700), the file too (0600); a file
  // written by a newer version is refused untouched; an older one is migrated in one transaction.
  // Throws ClipboardError::storage, or std::filesystem::filesystem_error for the folder and modes.
  explicit ClipboardDatabase(const std::filesystem::path& file);
  ~ClipboardDatabase();
  ClipboardDatabase(const ClipboardDatabase&) = delete;
  ClipboardDatabase& operator=(const ClipboardDatabase&) = delete;

  // Runs `sql` with `values` bound to its parameters 1, 2, ... and calls `map` for every row.
  // An exception from `map` propagates (the statement is finalized first).
  void query(std::string_view sql, const std::vector<Value>& values,
             const std::function<void(const Row&)>& map);
  template <class T>
  std::vector<T> query(std::string_view sql, const std::vector<Value>& values,
                       const std::function<T(const Row&)>& map) {
    std::vector<T> results;
    query(sql, values, [&](const Row& row) { results.push_back(map(row)); });
    return results;
  }
  // A statement whose rows, if any, are not wanted.
  void execute(std::string_view sql, const std::vector<Value>& values = {});

  // Every row of the history. A row whose id is not a UUID or whose kind is unknown fails the
  // whole load; tags that are not a JSON tag list load as none.
  std::vector<StoredEntry> loadEntries();
  // The same rows handed over one at a time as they are read, so the caller can work meanwhile.
  void loadEntries(const std::function<void(StoredEntry)>& each);
  // The payload or thumbnail column of one entry; none when there is no such row.
  std::optional<Bytes> payload(const base::Uuid& id);
  std::optional<Bytes> thumbnail(const base::Uuid& id);

 private:
  std::optional<Bytes> blob(std::string_view sql, const base::Uuid& id);
  void migrate(int fromVersion);

  struct Closer {
    void operator()(sqlite3* handle) const noexcept;
  };
  std::unique_ptr<sqlite3, Closer> handle_;
};

}  // namespace quillo::clipboard
