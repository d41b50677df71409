#pragma once

#include <cstdint>
#include <functional>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string_view>

#include "quillo/base/date.h"
#include "quillo/base/hashing.h"
#include "quillo/base/url.h"

namespace quillo::core {

// A file or folder found inside a search folder. A plain value.
struct FileEntry {
  // Also the JSON form sent to and read from the ranking service: "file" or "folder".
  enum class Kind { file, folder };

  // The date a folder carries: folders are not ordered by recency. 0001-01-01 00:00 UTC.
  static constexpr base::Date distantPast{-62135596800.0};

  Kind kind = Kind::file;
  // The file URL of the file or folder.
  base::Url url;
  // Bytes; 0 for folders.
  std::uint64_t size = 0;
  // Last modification; `distantPast` for folders.
  base::Date modified = distantPast;

  bool operator==(const FileEntry&) const = default;
  friend void hashInto(base::Hasher& h, const FileEntry& e) {
    h.addAll(static_cast<int>(e.kind), e.url, e.size, e.modified);
  }
};

std::string_view rawValue(FileEntry::Kind kind);
std::optional<FileEntry::Kind> fileEntryKindFromRaw(std::string_view raw);

// JSON: the raw value; any other text fails with DecodingError.
void to_json(nlohmann::json& json, const FileEntry::Kind& kind);
void from_json(const nlohmann::json& json, FileEntry::Kind& kind);

}  // namespace quillo::core

template <>
struct std::hash<quillo::core::FileEntry> {
  std::size_t operator()(const quillo::core::FileEntry& entry) const { return quillo::base::hashOf(entry); }
};
