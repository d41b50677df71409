#pragma once

#include <string_view>

// Every statement the history runs, and only these.
namespace quillo::clipboard::statements {

inline constexpr std::string_view kUserVersion = "PRAGMA user_version";
inline constexpr std::string_view kSecureDelete = "PRAGMA secure_delete = ON";
inline constexpr std::string_view kJournalMode = "PRAGMA journal_mode = DELETE";
inline constexpr std::string_view kShrinkMemory = "PRAGMA shrink_memory";
inline constexpr std::string_view kCreateTable =
    "CREATE TABLE IF NOT EXISTS entries (\n"
    "  id TEXT PRIMARY KEY, fingerprint TEXT NOT NULL UNIQUE, title TEXT NOT NULL,\n"
    "  text TEXT NOT NULL, kind TEXT NOT NULL, app_id TEXT NOT NULL, app_name TEXT NOT NULL,\n"
    "  copied_at REAL NOT NULL, pinned INTEGER NOT NULL, bytes INTEGER NOT NULL,\n"
    "  payload BLOB NOT NULL, thumbnail BLOB NOT NULL\n"
    ")";
inline constexpr std::string_view kAddTags = "ALTER TABLE entries ADD COLUMN tags TEXT NOT NULL DEFAULT '[]'";
inline constexpr std::string_view kAddPinnedAt = "ALTER TABLE entries ADD COLUMN pinned_at REAL";
inline constexpr std::string_view kFillPinnedAt = "UPDATE entries SET pinned_at=copied_at WHERE pinned=1";
inline constexpr std::string_view kAddImageText = "ALTER TABLE entries ADD COLUMN image_text TEXT";
inline constexpr std::string_view kSetVersion = "PRAGMA user_version = 4";

inline constexpr std::string_view kSelectAll =
    "SELECT id,fingerprint,title,text,kind,app_id,app_name,copied_at,pinned,bytes,tags,pinned_at,image_text "
    "FROM entries";
inline constexpr std::string_view kInsert = "INSERT INTO entries VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
inline constexpr std::string_view kUpdateCopiedAt = "UPDATE entries SET copied_at=? WHERE id=?";
inline constexpr std::string_view kUpdateCopiedAtAndTags =
    "UPDATE entries SET copied_at=?,tags=?,bytes=? WHERE id=?";
inline constexpr std::string_view kUpdateImageText = "UPDATE entries SET image_text=?,bytes=? WHERE id=?";
inline constexpr std::string_view kUpdateTitle = "UPDATE entries SET title=?,bytes=? WHERE id=?";
inline constexpr std::string_view kUpdatePinned = "UPDATE entries SET pinned=?,pinned_at=? WHERE id=?";
inline constexpr std::string_view kSelectPayload = "SELECT payload FROM entries WHERE id=?";
inline constexpr std::string_view kSelectThumbnail = "SELECT thumbnail FROM entries WHERE id=?";
inline constexpr std::string_view kDelete = "DELETE FROM entries WHERE id=?";

inline constexpr std::string_view kBegin = "BEGIN IMMEDIATE";
inline constexpr std::string_view kCommit = "COMMIT";
inline constexpr std::string_view kRollback = "ROLLBACK";

}  // namespace quillo::clipboard::statements
