#include "quillo/core/preferences/file_defaults_store.h"

#include <fmt/format.h>

#include <chrono>
#include <ctime>
#include <utility>

#include "property_list.h"
#include "quillo/base/log.h"
#include "quillo/base/xdg.h"

namespace quillo::core {
namespace {

namespace fs = std::filesystem;

constexpr base::log::Logger kLog("defaults");
constexpr std::string_view kSaveFailure = "Preferences could not be saved. Check available disk space.";
constexpr platform::ReplaceOptions kPrivate{.fileMode = 0600, .folderMode = 0700};
// Kept copies of damaged files carry a number after the time when one of that second exists.
constexpr int kMaxAsideCopies = 1000;

std::string timestamp() {
  const auto now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm utc{};
  gmtime_r(&now, &utc);
  return fmt::format("{:04}{:02}{:02}T{:02}{:02}{:02}Z", utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
                     utc.tm_hour, utc.tm_min, utc.tm_sec);
}

std::optional<DefaultsValue> lookup(const DefaultsValue::Dictionary& values, std::string_view key) {
  const auto found = values.find(key);
  if (found == values.end()) return std::nullopt;
  return found->second;
}

void assign(DefaultsValue::Dictionary& values, std::string_view key, std::optional<DefaultsValue> value) {
  if (value) {
    values.insert_or_assign(std::string(key), std::move(*value));
  } else if (const auto found = values.find(key); found != values.end()) {
    values.erase(found);
  }
}

// Values the file format cannot hold exactly (a date too far from 2001) are refused rather than
// stored changed.
void requireExactRoundTrip(std::string_view key, const DefaultsValue& value) {
  const DefaultsValue::Dictionary alone{{std::string(key), value}};
  bool same = false;
  try {
    same = property_list::readDictionary(property_list::writeDictionary(alone)) == alone;
  } catch (const std::exception&) {
    same = false;
  }
  if (!same)
    throw UnstorableValue(
        fmt::format("the value under {} cannot be stored exactly; nothing was changed", key));
}

}  // namespace

FileDefaultsStore::FileDefaultsStore(fs::path file, platform::FileSystem& files)
    : FileDefaultsStore(std::move(file), files, Options{}) {}

FileDefaultsStore::FileDefaultsStore(fs::path file, platform::FileSystem& files, Options options)
    : file_(std::move(file)), files_(files) {
  try {
    values_ = read(false);
  } catch (const DefaultsError& error) {
    if (options.whenUnreadable == WhenUnreadable::fail) throw;
    readFailure_ = error.what();
    kLog.warning("{}; running on the default settings without saving changes", error.what());
  }
}

fs::path FileDefaultsStore::standardPath(const platform::System& system) {
  return platform::xdgFolder(system, base::XdgFolder::config) / "quillo" / "defaults.plist";
}

std::optional<DefaultsValue> FileDefaultsStore::value(std::string_view key) const {
  return lookup(values_, key);
}

bool FileDefaultsStore::store(std::string_view key, const Transform& transform) {
  std::unique_ptr<platform::FileLock> held;
  try {
    held = files_.lock(fs::path(file_) += ".lock", kPrivate);
  } catch (const platform::FileSystemError& error) {
    kLog.error("{}", error.what());
    throw DefaultsError(std::string(kSaveFailure));
  }
  DefaultsValue::Dictionary stored = read(true);
  const std::optional<DefaultsValue> before = lookup(stored, key);
  const std::optional<DefaultsValue> after = transform(before);
  if (after != before) {
    if (after) requireExactRoundTrip(key, *after);
    assign(stored, key, after);
    try {
      files_.replaceFile(file_, property_list::writeDictionary(stored), kPrivate);
    } catch (const platform::FileSystemError& error) {
      kLog.error("{}", error.what());
      throw DefaultsError(std::string(kSaveFailure));
    }
  }
  readFailure_.reset();
  const bool seenChange = lookup(values_, key) != after;
  assign(values_, key, after);
  return after != before || seenChange;
}

DefaultsValue::Dictionary FileDefaultsStore::read(bool forChange) const {
  const auto setAside = [&](const std::string& reason) {
    // Never write over a damaged file that is still in place: it is the user's only copy.
    if (!moveAside(reason) && forChange) throw DefaultsError(std::string(kSaveFailure));
  };
  std::optional<std::string> bytes;
  try {
    const auto status = files_.status(file_);
    if (!status) return {};  // no file yet: nothing stored
    if (status->kind == platform::FileKind::file && status->size > property_list::kMaxBytes) {
      setAside(fmt::format("it is larger than {} bytes", property_list::kMaxBytes));
      return {};
    }
    bytes = files_.readFile(file_, property_list::kMaxBytes);
  } catch (const platform::FileSystemError& error) {
    throw DefaultsError(
        fmt::format("Quillo cannot read its preferences ({}); nothing was changed", error.what()));
  }
  if (!bytes) return {};
  try {
    return property_list::readDictionary(*bytes);
  } catch (const property_list::ReadError& error) {
    setAside(error.what());
    return {};
  }
}

bool FileDefaultsStore::moveAside(const std::string& reason) const {
  // Keep the unreadable file for the user, out of the way of the next write and of earlier copies.
  const std::string stem = file_.string() + ".corrupt-" + timestamp();
  std::string outcome = "could not move it aside";
  bool moved = false;
  try {
    for (int copy = 1; copy <= kMaxAsideCopies; ++copy) {
      const fs::path aside = copy == 1 ? fs::path(stem) : fs::path(fmt::format("{}-{}", stem, copy));
      if (files_.moveWithoutReplacing(file_, aside)) {
        outcome = "moved it to " + aside.string();
        moved = true;
        break;
      }
    }
  } catch (const platform::FileSystemError& error) {
    outcome = error.what();
  }
  kLog.warning("{} could not be read as preferences ({}); {} and started empty", file_.string(), reason,
               outcome);
  return moved;
}

}  // namespace quillo::core
