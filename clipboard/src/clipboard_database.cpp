#include "quillo/clipboard/clipboard_database.h"

#include <sqlite3.h>

#include <exception>

#include "quillo/base/unicode.h"
#include "quillo/clipboard/clipboard_error.h"
#include "statements.h"

namespace quillo::clipboard {
namespace {

namespace fs = std::filesystem;

// Folders this creates are private to the user; folders that already exist are left as they are.
void createPrivateFolders(const fs::path& folder) {
  if (folder.empty() || fs::exists(folder)) return;
  createPrivateFolders(folder.parent_path());
  fs::create_directory(folder);
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace);
}

[[noreturn]] void storageFailure() {
  throw ClipboardError(ClipboardError::Code::storage);
}

struct Finalizer {
  void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalizer>;

int bind(sqlite3_stmt* statement, int position, const ClipboardDatabase::Value& value) {
  struct Binder {
    sqlite3_stmt* statement;
    int position;
    int operator()(const ClipboardDatabase::Null&) const { return sqlite3_bind_null(statement, position); }
    int operator()(const std::string& text) const {
      return sqlite3_bind_text64(statement, position, text.data(), text.size(), SQLITE_TRANSIENT,
                                 SQLITE_UTF8);
    }
    int operator()(std::int64_t integer) const { return sqlite3_bind_int64(statement, position, integer); }
    int operator()(double real) const { return sqlite3_bind_double(statement, position, real); }
    int operator()(const Bytes& bytes) const {
      // A null pointer would bind NULL, which the NOT NULL columns refuse.
      if (bytes.empty()) return sqlite3_bind_zeroblob(statement, position, 0);
      return sqlite3_bind_blob64(statement, position, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
    }
  };
  return std::visit(Binder{statement, position}, value);
}

ClipboardDatabase::StoredEntry entryFrom(const ClipboardDatabase::Row& row) {
  const auto id = base::Uuid::parse(row.text(0));
  const auto kind = clipboardKindFromRaw(row.text(4));
  if (!id || !kind) storageFailure();
  const bool pinned = row.integer(8) != 0;
  ClipboardEntry entry({
      .id = *id,
      .title = row.text(2),
      .text = row.text(3),
      .kind = *kind,
      .sourceAppID = row.text(5),
      .sourceAppName = row.text(6),
      .copiedAt = base::Date{row.real(7)},
      .isPinned = pinned,
      .pinnedAt = row.isNull(11) ? std::nullopt : std::optional(base::Date{row.real(11)}),
      .byteCount = row.integer(9),
      .tags = tagsFromJson(row.text(10)).value_or(std::vector<ClipboardTag>{}),
      .imageText = row.isNull(12) ? std::nullopt : std::optional(row.text(12)),
  });
  return {std::move(entry), row.text(1)};
}

}  // namespace

void ClipboardDatabase::Closer::operator()(sqlite3* handle) const noexcept {
  sqlite3_close(handle);
}

std::string ClipboardDatabase::Row::text(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
  if (text == nullptr) return {};
  const int length = sqlite3_column_bytes(statement_, column);
  return base::sanitizedUtf8(std::string_view(text, static_cast<std::size_t>(length)));
}

std::int64_t ClipboardDatabase::Row::integer(int column) const {
  return sqlite3_column_int64(statement_, column);
}

double ClipboardDatabase::Row::real(int column) const {
  return sqlite3_column_double(statement_, column);
}

Bytes ClipboardDatabase::Row::blob(int column) const {
  const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(statement_, column));
  const int length = sqlite3_column_bytes(statement_, column);
  if (bytes == nullptr || length <= 0) return {};
  return Bytes(bytes, bytes + length);
}

bool ClipboardDatabase::Row::isNull(int column) const {
  return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

ClipboardDatabase::ClipboardDatabase(const fs::path& file) {
  createPrivateFolders(file.parent_path());

  sqlite3* handle = nullptr;
  const int opened = sqlite3_open_v2(
      file.c_str(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
  handle_.reset(handle);
  if (opened != SQLITE_OK) {
    handle_.reset();
    storageFailure();
  }
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::replace);
  sqlite3_busy_timeout(handle_.get(), kBusyTimeoutMilliseconds);

  int version = 0;
  query(statements::kUserVersion, {}, [&](const Row& row) {
    if (version == 0) version = static_cast<int>(row.integer(0));
  });
  // A newer program's file is left exactly as it is.
  if (version > kVersion) storageFailure();

  execute(statements::kSecureDelete);
  execute(statements::kJournalMode);
  execute(statements::kCreateTable);
  if (version < kVersion) migrate(version);
}

ClipboardDatabase::~ClipboardDatabase() = default;

void ClipboardDatabase::migrate(int fromVersion) {
  try {
    execute(statements::kBegin);
    if (fromVersion < 2) execute(statements::kAddTags);
    if (fromVersion < 3) {
      execute(statements::kAddPinnedAt);
      execute(statements::kFillPinnedAt);
    }
    execute(statements::kAddImageText);
    execute(statements::kSetVersion);
    execute(statements::kCommit);
  } catch (...) {
    const std::exception_ptr failure = std::current_exception();
    try {
      execute(statements::kRollback);
    } catch (const ClipboardError&) {
      // The first failure is the one worth reporting.
    }
    std::rethrow_exception(failure);
  }
}

void ClipboardDatabase::query(std::string_view sql, const std::vector<Value>& values,
                              const std::function<void(const Row&)>& map) {
  sqlite3_stmt* prepared = nullptr;
  const int result =
      sqlite3_prepare_v2(handle_.get(), sql.data(), static_cast<int>(sql.size()), &prepared, nullptr);
  const Statement statement(prepared);
  if (result != SQLITE_OK || !statement) storageFailure();
  for (std::size_t index = 0; index < values.size(); ++index) {
    if (bind(statement.get(), static_cast<int>(index + 1), values[index]) != SQLITE_OK) storageFailure();
  }
  const Row row(statement.get());
  int step = sqlite3_step(statement.get());
  for (; step == SQLITE_ROW; step = sqlite3_step(statement.get()))
    map(row);
  if (step != SQLITE_DONE) storageFailure();
}

void ClipboardDatabase::execute(std::string_view sql, const std::vector<Value>& values) {
  query(sql, values, [](const Row&) {});
}

std::vector<ClipboardDatabase::StoredEntry> ClipboardDatabase::loadEntries() {
  return query<StoredEntry>(statements::kSelectAll, {}, entryFrom);
}

void ClipboardDatabase::loadEntries(const std::function<void(StoredEntry)>& each) {
  query(statements::kSelectAll, {}, [&](const Row& row) { each(entryFrom(row)); });
  // Reading every row filled the page cache (2 MB) with pages that later work rarely reads again;
  // they come back from the file system's cache when it does.
  execute(statements::kShrinkMemory);
}

std::optional<Bytes> ClipboardDatabase::payload(const base::Uuid& id) {
  return blob(statements::kSelectPayload, id);
}

std::optional<Bytes> ClipboardDatabase::thumbnail(const base::Uuid& id) {
  return blob(statements::kSelectThumbnail, id);
}

std::optional<Bytes> ClipboardDatabase::blob(std::string_view sql, const base::Uuid& id) {
  std::optional<Bytes> found;
  query(sql, {id.text()}, [&](const Row& row) { found = row.blob(0); });
  return found;
}

}  // namespace quillo::clipboard
