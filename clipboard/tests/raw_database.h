#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillo::clipboard::testing {

// A second, plain SQLite connection to a history file: builds old versions, plants failing
// triggers and reads back what the store wrote.
class RawDatabase {
 public:
  explicit RawDatabase(const std::filesystem::path& file) {
    if (sqlite3_open(file.c_str(), &handle_) != SQLITE_OK)
      throw std::runtime_error("cannot open " + file.string());
  }
  ~RawDatabase() { sqlite3_close(handle_); }
  RawDatabase(const RawDatabase&) = delete;
  RawDatabase& operator=(const RawDatabase&) = delete;

  void exec(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(handle_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
      const std::string message = error ? error : "unknown error";
      sqlite3_free(error);
      throw std::runtime_error(message + " in " + sql);
    }
  }

  // Every row of a query, each column as text ("NULL" for NULL).
  std::vector<std::vector<std::string>> rows(const std::string& sql) {
    std::vector<std::vector<std::string>> result;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(handle_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) {
      throw std::runtime_error(std::string(sqlite3_errmsg(handle_)) + " in " + sql);
    }
    while (sqlite3_step(statement) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int column = 0; column < sqlite3_column_count(statement); ++column) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        row.emplace_back(
            text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column)))
                 : "NULL");
      }
      result.push_back(std::move(row));
    }
    sqlite3_finalize(statement);
    return result;
  }

  std::string single(const std::string& sql) { return rows(sql).at(0).at(0); }

 private:
  sqlite3* handle_ = nullptr;
};

// The table as the first version of the history created it.
inline constexpr const char* kVersion1Table =
    "CREATE TABLE entries (id TEXT PRIMARY KEY, fingerprint TEXT NOT NULL UNIQUE, title TEXT NOT NULL, "
    "text TEXT NOT NULL, kind TEXT NOT NULL, app_id TEXT NOT NULL, app_name TEXT NOT NULL, "
    "copied_at REAL NOT NULL, pinned INTEGER NOT NULL, bytes INTEGER NOT NULL, payload BLOB NOT NULL, "
    "thumbnail BLOB NOT NULL)";

}  // namespace quillo::clipboard::testing
